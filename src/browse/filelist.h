#pragma once
// The file list: the files of one folder that match the CAD pattern. The folder is read off the
// window's thread; its files show as they arrive, in order.

#include "navigation.h"
#include "readlane.h"

#include <QListWidget>

namespace dsc {

class FileList : public QListWidget {
    Q_OBJECT

public:
    FileList(platform::FileSystem& fs, ReadPool& pool, QWidget* parent = nullptr);

    // Empties the list and reads `folder`; a folder set meanwhile wins.
    void setFolder(const std::filesystem::path& folder);
    // Reads the folder again, keeping the selected name when it is still there.
    void refresh();
    // True while the folder is being read.
    bool loading() const { return m_lane.busy(); }
    // Makes the listing under way stale: it stops at its next batch.
    void cancel() { m_lane.cancel(); }
    // The selected file's bare name (native bytes); empty when none is selected.
    std::filesystem::path selectedName() const;
    // Selects the file of that name, as a click would, and raises fileClicked.
    bool clickName(const std::filesystem::path& name);

signals:
    // A click on a file, or the selection moved with the keyboard.
    void fileClicked();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void load(const std::filesystem::path& folder);
    void addNames(const std::vector<std::filesystem::path>& names);

    platform::FileSystem& m_fs;
    ReadLane m_lane;
    std::filesystem::path m_folder;
    std::vector<std::filesystem::path> m_names; // one per row
    std::filesystem::path m_keep;               // reselected when it arrives, unless the user chose meanwhile
};

} // namespace dsc
