#pragma once
// The folder list: the folders of the current path as an indented tree, then the sub-folders of
// the current folder. A double-click or Enter on a folder makes it current. Folders are checked and
// read off the window's thread; the last request wins.

#include "platform/filesystem.h"
#include "readlane.h"

#include <QListWidget>

namespace dsc {

class FolderList : public QListWidget {
    Q_OBJECT

public:
    FolderList(platform::FileSystem& fs, ReadPool& pool, QWidget* parent = nullptr);

    // Makes `folder` current and raises folderChanged, once it is known to be a folder that can be
    // entered; otherwise nothing changes.
    void setPath(const std::filesystem::path& folder) { enter({folder}, true); }
    // Makes the first of `candidates` that can be entered current. When that is the current folder
    // and `again` is false, nothing changes and folderChanged is not raised. `changed` is called
    // after folderChanged.
    void enter(std::vector<std::filesystem::path> candidates, bool again,
               std::function<void(const std::filesystem::path&)> changed = {});
    const std::filesystem::path& path() const { return m_path; }
    // True while a request is being answered.
    bool loading() const { return m_lane.busy(); }
    // Makes the listing under way stale: it stops at its next batch.
    void cancel() { m_lane.cancel(); }
    // The folder an item stands for.
    std::filesystem::path folderAt(int row) const;

signals:
    void folderChanged(const std::filesystem::path& folder);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Read {
        std::filesystem::path entered;           // set in the first result only
        std::vector<std::filesystem::path> subs; // then the sub-folders, a batch at a time
    };
    void showPath(const std::filesystem::path& folder);
    void addSubfolders(const std::vector<std::filesystem::path>& names);

    platform::FileSystem& m_fs;
    ReadLane m_lane;
    std::filesystem::path m_path;
    std::vector<std::filesystem::path> m_folders; // one per row
    std::vector<std::filesystem::path> m_subs;    // the sub-folders' names, sorted, after the chain
};

} // namespace dsc
