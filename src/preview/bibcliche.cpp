#include "bibcliche.h"

#include "formats/slides/slidelibrary.h"

#include <QByteArray>
#include <QListWidget>

namespace dsc {

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
