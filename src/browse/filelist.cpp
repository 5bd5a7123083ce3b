#include "filelist.h"

#include <QKeyEvent>
#include <QSignalBlocker>

namespace dsc {

FileList::FileList(platform::FileSystem& fs, QWidget* parent) : QListWidget(parent), m_fs(fs) {
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemClicked, this, [this] { emit fileClicked(); });
}

void FileList::setFolder(const std::filesystem::path& folder) {
    m_folder = folder;
    const QSignalBlocker blocker(this);
    clear();
    m_names = matchingFiles(m_fs, folder);
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(m_names.size()));
    for (const auto& n : m_names) {
        texts.push_back(QString::fromStdString(platform::displayText(n)));
    }
    addItems(texts);
}

void FileList::refresh() {
    const auto selected = selectedName();
    setFolder(m_folder);
    const QSignalBlocker blocker(this);
    for (std::size_t i = 0; i < m_names.size(); ++i) {
        if (!selected.empty() && m_names[i] == selected) {
            setCurrentRow(static_cast<int>(i));
        }
    }
}

std::filesystem::path FileList::selectedName() const {
    const int r = currentRow();
    const auto* it = currentItem();
    return (it && it->isSelected() && r >= 0 && r < static_cast<int>(m_names.size()))
               ? m_names[static_cast<std::size_t>(r)]
               : std::filesystem::path{};
}

bool FileList::clickName(const std::filesystem::path& name) {
    for (std::size_t i = 0; i < m_names.size(); ++i) {
        if (m_names[i] == name) {
            setCurrentRow(static_cast<int>(i));
            emit fileClicked();
            return true;
        }
    }
    return false;
}

void FileList::keyPressEvent(QKeyEvent* event) {
    const int before = currentRow();
    QListWidget::keyPressEvent(event);
    if (currentRow() != before && currentRow() >= 0) {
        emit fileClicked();
    }
}

} // namespace dsc
