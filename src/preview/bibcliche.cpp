#include "bibcliche.h"

#include "formats/slidelibrary.h"
#include "platform/filesource.h"

#include <QByteArray>
#include <QListWidget>

namespace dsc {

void listSlideNames(QListWidget& list, const std::filesystem::path& library) {
    platform::FileSource source;
    showSlideNames(list, source.open(library) ? scanLibraryNames(source) : std::vector<LibrarySlideName>{});
}

void showSlideNames(QListWidget& list, const std::vector<LibrarySlideName>& names) {
    list.show();
    list.clear();
    for (const auto& n : names) {
        auto* item = new QListWidgetItem(QString::fromStdString(cp1252ToUtf8(n.shortName)));
        item->setData(Qt::UserRole, QByteArray::fromStdString(n.fullName));
        item->setToolTip(QString::fromStdString(cp1252ToUtf8(n.fullName)));
        list.addItem(item);
    }
}

} // namespace dsc
