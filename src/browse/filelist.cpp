#include "filelist.h"

#include <QElapsedTimer>
#include <QKeyEvent>

#include <QSignalBlocker>
#include <algorithm>
#include <iterator>

namespace dsc {

FileList::FileList(platform::FileSystem& fs, QThreadPool& pool, QWidget* parent)
    : QListWidget(parent), m_fs(fs), m_lane(pool, this) {
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemClicked, this, [this] {
        m_keep.clear();
        emit fileClicked();
    });
}

void FileList::setFolder(const std::filesystem::path& folder) {
    m_keep.clear();
    load(folder);
}

void FileList::refresh() {
    m_keep = selectedName();
    load(m_folder);
}

void FileList::load(const std::filesystem::path& folder) {
    m_folder = folder;
    {
        const QSignalBlocker blocker(this);
        clear();
    }
    m_names.clear();
    platform::FileSystem& fs = m_fs;
    m_lane.start<std::vector<std::filesystem::path>>(
        [&fs, folder](QPromise<std::vector<std::filesystem::path>>& promise) {
            // The names go to the window in sorted runs: the first soon, then less and less often,
            // so a long listing shows as it comes without the window sorting it again and again.
            std::vector<std::filesystem::path> pending;
            QElapsedTimer sinceSent;
            sinceSent.start();
            qint64 interval = 50;
            auto send = [&] {
                std::sort(pending.begin(), pending.end(), nameLess);
                promise.addResult(std::move(pending));
                pending.clear();
                sinceSent.restart();
                interval = std::min<qint64>(interval * 2, 1000);
            };
            fs.listInBatches(folder, [&](std::vector<platform::DirEntry>&& batch) {
                for (auto& n : matchingNames(batch)) {
                    pending.push_back(std::move(n));
                }
                if (!pending.empty() && sinceSent.elapsed() >= interval) {
                    send();
                }
                return !promise.isCanceled();
            });
            if (!pending.empty()) {
                send();
            }
        },
        [this](const std::vector<std::filesystem::path>& names) { addNames(names); });
}

void FileList::addNames(const std::vector<std::filesystem::path>& names) {
    // `names` is sorted. After the names shown, or a few: inserted in place. Otherwise the two runs
    // are merged and the list filled again, the selection kept.
    const QSignalBlocker blocker(this);
    setUpdatesEnabled(false);
    if (m_names.empty() || !nameLess(names.front(), m_names.back()) || names.size() < 64) {
        for (const auto& n : names) {
            const auto row = static_cast<int>(insertSorted(m_names, 0, n));
            insertItem(row, QString::fromStdString(platform::displayText(n)));
            if (!m_keep.empty() && n == m_keep && !currentItem()) {
                setCurrentRow(row);
                m_keep.clear();
            }
        }
    } else {
        std::filesystem::path chosen = selectedName();
        if (chosen.empty() && !m_keep.empty()) {
            chosen = m_keep;
        }
        std::vector<std::filesystem::path> merged;
        merged.reserve(m_names.size() + names.size());
        std::merge(m_names.begin(), m_names.end(), names.begin(), names.end(), std::back_inserter(merged), nameLess);
        m_names = std::move(merged);
        clear();
        QStringList texts;
        texts.reserve(static_cast<qsizetype>(m_names.size()));
        for (const auto& n : m_names) {
            texts.push_back(QString::fromStdString(platform::displayText(n)));
        }
        addItems(texts);
        if (!chosen.empty()) {
            const auto at = std::lower_bound(m_names.begin(), m_names.end(), chosen, nameLess);
            if (at != m_names.end() && *at == chosen) {
                setCurrentRow(static_cast<int>(at - m_names.begin()));
                if (chosen == m_keep) {
                    m_keep.clear();
                }
            }
        }
    }
    setUpdatesEnabled(true);
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
            m_keep.clear();
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
        m_keep.clear();
        emit fileClicked();
    }
}

} // namespace dsc
