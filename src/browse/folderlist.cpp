#include "folderlist.h"

#include "navigation.h"

#include <QKeyEvent>
#include <QStyle>

namespace dsc {

FolderList::FolderList(platform::FileSystem& fs, QWidget* parent) : QListWidget(parent), m_fs(fs) {
    setUniformItemSizes(true);
    setIconSize(QSize(16, 16));
    connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) { setPath(folderAt(row(item))); });
}

std::filesystem::path FolderList::folderAt(int r) const {
    return (r >= 0 && r < static_cast<int>(m_folders.size())) ? m_folders[static_cast<std::size_t>(r)]
                                                              : std::filesystem::path{};
}

bool FolderList::setPath(const std::filesystem::path& folder) {
    if (folder.empty() || !m_fs.isDirectory(folder)) {
        return false;
    }
    m_path = folder.lexically_normal();
    if (!m_path.has_filename() && m_path.has_relative_path()) {
        m_path = m_path.parent_path(); // "/home/ann/" is "/home/ann"; roots keep their separator
    }
    rebuild();
    emit folderChanged(m_path);
    return true;
}

void FolderList::rebuild() {
    clear();
    m_folders.clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const auto chain = ancestry(m_path);
    int depth = 0;
    for (const auto& f : chain) {
        const std::filesystem::path name = depth == 0 ? f : f.filename();
        auto* item = new QListWidgetItem(open, QString(depth * 2, QLatin1Char(' ')) +
                                                   QString::fromStdString(platform::displayText(name)));
        addItem(item);
        m_folders.push_back(f);
        ++depth;
    }
    setCurrentRow(static_cast<int>(m_folders.size()) - 1);
    for (const auto& sub : subfolders(m_fs, m_path)) {
        auto* item = new QListWidgetItem(closed, QString(depth * 2, QLatin1Char(' ')) +
                                                     QString::fromStdString(platform::displayText(sub)));
        addItem(item);
        m_folders.push_back(m_path / sub);
    }
}

void FolderList::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentRow() >= 0) {
        setPath(folderAt(currentRow()));
        return;
    }
    QListWidget::keyPressEvent(event);
}

} // namespace dsc
