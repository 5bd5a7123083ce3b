#include "bibcliche.h"

#include "formats/slidelibrary.h"
#include "platform/filesource.h"

#include <QByteArray>
#include <QListWidget>

namespace dsc {

void listSlideNames(QListWidget& list, const std::filesystem::path& library) {
    list.show();
    list.clear();
    platform::FileSource source;
    if (!source.open(library)) {
        return;
    }
    for (const auto& n : scanLibraryNames(source)) {
        auto* item = new QListWidgetItem(QString::fromStdString(cp1252ToUtf8(n.shortName)));
        item->setData(Qt::UserRole, QByteArray::fromStdString(n.fullName));
        item->setToolTip(QString::fromStdString(cp1252ToUtf8(n.fullName)));
        list.addItem(item);
    }
}

} // namespace dsc
