#pragma once
// The folder list: the folders of the current path as an indented tree, then the sub-folders of
// the current folder. A double-click or Enter on a folder makes it current.

#include "platform/filesystem.h"

#include <QListWidget>

namespace dsc {

class FolderList : public QListWidget {
    Q_OBJECT

public:
    explicit FolderList(platform::FileSystem& fs, QWidget* parent = nullptr);

    // Makes `folder` current and raises folderChanged. False, and nothing changes, when it is not a
    // folder that can be entered.
    bool setPath(const std::filesystem::path& folder);
    const std::filesystem::path& path() const { return m_path; }
    // The folder an item stands for.
    std::filesystem::path folderAt(int row) const;

signals:
    void folderChanged(const std::filesystem::path& folder);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void rebuild();

    platform::FileSystem& m_fs;
    std::filesystem::path m_path;
    std::vector<std::filesystem::path> m_folders; // one per row
};

} // namespace dsc
