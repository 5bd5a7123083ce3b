#!/usr/bin/env bash
# Runs the volumes-come-and-go case of the hostile-file tests in a private mount namespace, with a
# mount point under /mnt where the drive list looks (needs root and mount namespaces).
#   mount_test.sh TEST_BINARY
set -euo pipefail
if [ "$(id -u)" -ne 0 ] || ! unshare -m true 2>/dev/null; then
    echo "mount_test: skipped, needs root and mount namespaces"; exit 77
fi
point=/mnt/dessiscope-test-$$
mkdir -p "$point"
trap 'rmdir "$point" 2>/dev/null || true' EXIT
export DSC_MOUNT_POINT=$point
unshare -m --propagation private "$1" --gtest_filter='VolumesComeAndGo.*'
