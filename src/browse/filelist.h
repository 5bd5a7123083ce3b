#pragma once
// The file list: the files of one folder that match the CAD pattern.

#include "navigation.h"

#include <QListWidget>

namespace dsc {

class FileList : public QListWidget {
    Q_OBJECT

public:
    explicit FileList(platform::FileSystem& fs, QWidget* parent = nullptr);

    void setFolder(const std::filesystem::path& folder);
    // Reads the folder again, keeping the selected name when it is still there.
    void refresh();
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
    platform::FileSystem& m_fs;
    std::filesystem::path m_folder;
    std::vector<std::filesystem::path> m_names; // one per row
};

} // namespace dsc
