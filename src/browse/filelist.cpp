#include "filelist.h"

#include <QElapsedTimer>
#include <QKeyEvent>

#include <QSignalBlocker>
#include <algorithm>
#include <iterator>

namespace dsc {

FileList::FileList(platform::FileSystem& fs, ReadPool& pool, QWidget* parent)
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
    // `names` is sorted. Each run of names that falls between the same two shown ones goes in at
    // once, in place: rows are never taken away, so the scroll position and the selection stay.
    const QSignalBlocker blocker(this);
    setUpdatesEnabled(false);
    std::size_t i = 0;
    std::size_t from = 0;
    while (i < names.size()) {
        const auto at =
            std::upper_bound(m_names.begin() + static_cast<std::ptrdiff_t>(from), m_names.end(), names[i], nameLess);
        std::size_t j = i + 1;
        while (j < names.size() && (at == m_names.end() || nameLess(names[j], *at))) {
            ++j;
        }
        const auto row = static_cast<std::size_t>(at - m_names.begin());
        QStringList texts;
        texts.reserve(static_cast<qsizetype>(j - i));
        for (std::size_t k = i; k < j; ++k) {
            texts.push_back(QString::fromStdString(platform::displayText(names[k])));
        }
        m_names.insert(at, names.begin() + static_cast<std::ptrdiff_t>(i),
                       names.begin() + static_cast<std::ptrdiff_t>(j));
        insertItems(static_cast<int>(row), texts);
        if (!m_keep.empty() && !currentItem()) {
            const auto kept = std::find(names.begin() + static_cast<std::ptrdiff_t>(i),
                                        names.begin() + static_cast<std::ptrdiff_t>(j), m_keep);
            if (kept != names.begin() + static_cast<std::ptrdiff_t>(j)) {
                setCurrentRow(static_cast<int>(row + static_cast<std::size_t>(kept - names.begin()) - i));
                m_keep.clear();
            }
        }
        from = row + (j - i);
        i = j;
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
