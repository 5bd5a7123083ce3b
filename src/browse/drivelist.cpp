#include "drivelist.h"

#include "navigation.h"

#include <QSignalBlocker>
#include <QStyle>

namespace dsc {

DriveList::DriveList(platform::FileSystem& fs, QWidget* parent) : QComboBox(parent), m_fs(fs) {
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (index >= 0 && index < static_cast<int>(m_volumes.size())) {
            emit driveChanged(m_volumes[static_cast<std::size_t>(index)].root);
        }
    });
}

void DriveList::reload(const std::filesystem::path& folder) {
    const QSignalBlocker blocker(this);
    m_volumes = m_fs.volumes();
    clear();
    const QIcon icon = style()->standardIcon(QStyle::SP_DriveHDIcon);
    for (const auto& v : m_volumes) {
        addItem(icon, QString::fromStdString(volumeText(v)));
    }
    setCurrentIndex(volumeIndexFor(m_volumes, folder));
}

std::filesystem::path DriveList::currentRoot() const {
    const int i = currentIndex();
    return (i >= 0 && i < static_cast<int>(m_volumes.size())) ? m_volumes[static_cast<std::size_t>(i)].root
                                                              : std::filesystem::path{};
}

} // namespace dsc
