#!/usr/bin/env bash
# Runs the read-only case of the hostile-file tests inside a read-only bind mount (needs root and
# mount namespaces; skipped otherwise).
#   readonly_test.sh TEST_BINARY SEEDS_BINARY
set -euo pipefail
test_binary=$1; seeds=$2
if [ "$(id -u)" -ne 0 ] || ! unshare -m true 2>/dev/null; then
    echo "readonly_test: skipped, needs root and mount namespaces"; exit 77
fi
dir=$(mktemp -d)
trap 'rm -rf "$dir" "$dir.seeds"' EXIT
"$seeds" "$dir.seeds" >/dev/null
cp "$dir.seeds/dwgpreview/bmp8.dwg" "$dir/plan.dwg"
cp "$dir.seeds/slide/example_v2le.sld" "$dir/coupe.sld"
cp "$dir.seeds/slidelibrary/two_members.slb" "$dir/sym.slb"
export DSC_READONLY_DIR=$dir
unshare -m --propagation private sh -c '
    mount --bind "$DSC_READONLY_DIR" "$DSC_READONLY_DIR" &&
    mount -o remount,bind,ro "$DSC_READONLY_DIR" &&
    exec "$0" --gtest_filter=ReadOnlyMount.*' "$test_binary"
