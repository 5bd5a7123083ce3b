#!/usr/bin/env bash
# Runs every libFuzzer harness for a while, starting from the saved corpus and adding what it finds.
#   fuzz/run.sh BUILD_DIR SECONDS
set -euo pipefail
build=$1; seconds=${2:-60}
here=$(cd "$(dirname "$0")" && pwd)
"$build/bin/fuzz_make_seeds" "$here/corpus"
mkdir -p "$here/artifacts"
for h in dwgpreview slide slidelibrary bibcliche png lz77 dwgpaged drawingrender dwgold dwgr13 lz77ac21 dwg2007; do
    echo "== fuzz_$h for ${seconds}s"
    "$build/bin/fuzz_$h" -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=1048576 \
        -artifact_prefix="$here/artifacts/$h-" "$here/corpus/$h" 2>&1 | grep -E '^#[0-9]+.*(DONE|pulse)|ERROR|SUMMARY|Done' | tail -3
    # Keep the saved corpus small: only inputs that add coverage stay.
    merged=$(mktemp -d)
    "$build/bin/fuzz_$h" -merge=1 "$merged" "$here/corpus/$h" >/dev/null 2>&1 &&
        rm -rf "$here/corpus/$h" && mv "$merged" "$here/corpus/$h"
done
