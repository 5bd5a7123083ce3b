#!/usr/bin/env python3
"""Whole-process cost of drawing a drawing from its geometry, against its stored preview.

    bench/geometry.py BUILD_DIR [PAIRS]

For every shared drawing: `dessiscope-thumbnail --geometry -s 256` (the geometry picture) against
`dessiscope-thumbnail -s 256` (the stored preview when there is one), in paired runs (A B A B …);
medians, their ratio and the geometry run's peak resident memory, as a Markdown table. The old
releases' one-entity drawings are summed up, release by release, by their median and slowest.
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

here = Path(__file__).resolve().parent
build = Path(sys.argv[1]).resolve()
pairs = int(sys.argv[2]) if len(sys.argv) > 2 else 21
samples = here.parent.parent / "shared" / "samples" / "dwg"
tool = build / "bin" / "dessiscope-thumbnail"
work = Path(tempfile.mkdtemp())


def run(argv):
    """Wall time in ms of one whole process and its exit status."""
    devnull = os.open(os.devnull, os.O_WRONLY)
    start = time.perf_counter()
    pid = os.posix_spawn(argv[0], argv, os.environ,
                         file_actions=[(os.POSIX_SPAWN_DUP2, devnull, 1), (os.POSIX_SPAWN_DUP2, devnull, 2)])
    _, status = os.waitpid(pid, 0)
    elapsed = (time.perf_counter() - start) * 1000
    os.close(devnull)
    return elapsed, os.waitstatus_to_exitcode(status)


def peak_memory(argv):
    out = subprocess.run(["/usr/bin/time", "-f", "%M"] + argv, stdout=subprocess.DEVNULL,
                         stderr=subprocess.PIPE, text=True).stderr.strip().splitlines()
    return int(out[-1]) / 1024


def geometry(f):
    return [str(tool), "--geometry", "-s", "256", str(f), str(work / "g.png")]


def stored(f):
    return [str(tool), "-s", "256", str(f), str(work / "s.png")]


if not tool.exists():
    sys.exit(f"build the tool first: {tool}")
floor = statistics.median(run(["/bin/true"])[0] for _ in range(pairs))
print(f"Process start floor here (`/bin/true`, median of {pairs}): {floor:.2f} ms\n")
print("| Drawing | geometry picture | stored preview | ratio | geometry peak memory |")
print("|---|---:|---:|---:|---:|")
drawings = sorted(f for f in samples.iterdir() if f.suffix.lower() == ".dwg")
drawings += sorted((samples / "geometry" / "acadsharp").glob("*.dwg"))
for f in drawings:
    g, s = [], []
    status = 0
    for _ in range(pairs):
        t, status = run(geometry(f))
        g.append(t)
        t, stored_status = run(stored(f))
        s.append(t)
    a, b = statistics.median(g), statistics.median(s)
    has_stored = stored_status == 0 and not f.name.startswith("pre_")
    ratio = f"{a / b:.2f}×" if has_stored else "no stored preview"
    shown = f"{a:.2f} ms" if status == 0 else f"{a:.2f} ms (exit {status})"
    print(f"| `{f.name}` | {shown} | {b:.2f} ms | {ratio} | {peak_memory(geometry(f)):.1f} MB |", flush=True)

old = sorted(f for f in (samples / "geometry" / "old").iterdir() if f.suffix.lower() == ".dwg")
by_release = {}
for f in old:
    runs = [run(geometry(f)) for _ in range(3)]
    entry = by_release.setdefault(f.name.split("__")[0], {"times": [], "failures": 0, "slowest": (0.0, "")})
    t = statistics.median(r[0] for r in runs)
    entry["times"].append(t)
    entry["slowest"] = max(entry["slowest"], (t, f.name))
    entry["failures"] += runs[0][1] != 0
if by_release:
    print("\n| Old release | drawings | median | slowest | without a picture |")
    print("|---|---:|---:|---:|---:|")
    for release, e in sorted(by_release.items()):
        print(f"| {release} | {len(e['times'])} | {statistics.median(e['times']):.2f} ms | "
              f"{e['slowest'][0]:.2f} ms (`{e['slowest'][1]}`) | {e['failures']} |")
for p in work.iterdir():
    p.unlink()
work.rmdir()
