#pragma once
// The drive selector: a drop-down list of the browsable volumes.

#include "platform/filesystem.h"

#include <QComboBox>

namespace dsc {

class DriveList : public QComboBox {
    Q_OBJECT

public:
    explicit DriveList(platform::FileSystem& fs, QWidget* parent = nullptr);

    // Re-reads the volumes and selects the one holding `folder`, without raising driveChanged.
    void reload(const std::filesystem::path& folder);
    std::filesystem::path currentRoot() const;
    const std::vector<platform::Volume>& volumes() const { return m_volumes; }

signals:
    // The user chose another volume.
    void driveChanged(const std::filesystem::path& root);

private:
    platform::FileSystem& m_fs;
    std::vector<platform::Volume> m_volumes;
};

} // namespace dsc
