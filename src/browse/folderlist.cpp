#include "folderlist.h"

#include "navigation.h"

#include <QKeyEvent>
#include <QStyle>

namespace dsc {

namespace {

std::filesystem::path normalFolder(const std::filesystem::path& folder) {
    std::filesystem::path p = folder.lexically_normal();
    if (!p.has_filename() && p.has_relative_path()) {
        p = p.parent_path(); // "/home/ann/" is "/home/ann"; roots keep their separator
    }
    return p;
}

} // namespace

FolderList::FolderList(platform::FileSystem& fs, ReadPool& pool, QWidget* parent)
    : QListWidget(parent), m_fs(fs), m_lane(pool, this) {
    setUniformItemSizes(true);
    setIconSize(QSize(16, 16));
    connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) { setPath(folderAt(row(item))); });
}

std::filesystem::path FolderList::folderAt(int r) const {
    return (r >= 0 && r < static_cast<int>(m_folders.size())) ? m_folders[static_cast<std::size_t>(r)]
                                                              : std::filesystem::path{};
}

void FolderList::enter(std::vector<std::filesystem::path> candidates, bool again,
                       std::function<void(const std::filesystem::path&)> changed) {
    for (auto& c : candidates) {
        c = c.empty() ? c : normalFolder(c);
    }
    const std::filesystem::path current = again ? std::filesystem::path{} : m_path;
    platform::FileSystem& fs = m_fs;
    m_lane.start<Read>(
        [&fs, candidates = std::move(candidates), current](QPromise<Read>& promise) {
            for (const auto& c : candidates) {
                if (promise.isCanceled()) {
                    return;
                }
                if (c.empty() || !fs.isDirectory(c)) {
                    continue;
                }
                promise.addResult(Read{c, {}});
                if (c == current) {
                    return; // still there: nothing to read again
                }
                fs.listInBatches(c, [&promise](std::vector<platform::DirEntry>&& batch) {
                    auto names = folderNames(batch);
                    if (!names.empty()) {
                        promise.addResult(Read{{}, std::move(names)});
                    }
                    return !promise.isCanceled();
                });
                return;
            }
        },
        [this, current, changed = std::move(changed)](const Read& read) {
            if (!read.entered.empty()) {
                if (read.entered != current) {
                    showPath(read.entered);
                    if (changed) {
                        changed(m_path);
                    }
                }
                return;
            }
            addSubfolders(read.subs);
        });
}

void FolderList::showPath(const std::filesystem::path& folder) {
    m_path = folder;
    clear();
    m_folders.clear();
    m_subs.clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    int depth = 0;
    for (const auto& f : ancestry(m_path)) {
        const std::filesystem::path name = depth == 0 ? f : f.filename();
        addItem(new QListWidgetItem(open, QString(depth * 2, QLatin1Char(' ')) +
                                              QString::fromStdString(platform::displayText(name))));
        m_folders.push_back(f);
        ++depth;
    }
    setCurrentRow(static_cast<int>(m_folders.size()) - 1);
    emit folderChanged(m_path);
}

void FolderList::addSubfolders(const std::vector<std::filesystem::path>& names) {
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const std::size_t chain = m_folders.size() - m_subs.size();
    const QString indent(static_cast<int>(chain) * 2, QLatin1Char(' '));
    setUpdatesEnabled(false);
    for (const auto& sub : names) {
        const std::size_t at = insertSorted(m_subs, 0, sub);
        m_folders.insert(m_folders.begin() + static_cast<std::ptrdiff_t>(chain + at), m_path / sub);
        insertItem(static_cast<int>(chain + at),
                   new QListWidgetItem(closed, indent + QString::fromStdString(platform::displayText(sub))));
    }
    setUpdatesEnabled(true);
}

void FolderList::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentRow() >= 0) {
        setPath(folderAt(currentRow()));
        return;
    }
    QListWidget::keyPressEvent(event);
}

} // namespace dsc
