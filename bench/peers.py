#!/usr/bin/env python3
"""Whole-process comparison of dessiscope-thumbnail with its peers on the shared samples.

    bench/peers.py BUILD_DIR [PAIRS]

Drawings: `dessiscope-thumbnail -s 256 X.dwg out.png` against `dwgbmp X.dwg out.bmp` (the peer
build in ../shared/tools/peers, never a dependency). Slides: against netpbm's
`sldtoppm | pnmscale -xysize 256 256 | pnmtopng`. Runs are paired (A B A B ...) so that the
machine's load falls on both alike; medians, their ratio and each process's peak resident memory
are printed as a Markdown table.
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

here = Path(__file__).resolve().parent
build = Path(sys.argv[1]).resolve()
pairs = int(sys.argv[2]) if len(sys.argv) > 2 else 21
samples = here.parent.parent / "shared" / "samples"
dwgbmp = here.parent.parent / "shared" / "tools" / "peers" / "dwgbmp"
tool = build / "bin" / "dessiscope-thumbnail"
work = Path(tempfile.mkdtemp())


def run(argv, shell=False):
    """Wall time in ms of one whole process (or pipeline), started with posix_spawn."""
    if shell:
        argv = ["/bin/sh", "-c", argv]
    devnull = os.open(os.devnull, os.O_WRONLY)
    start = time.perf_counter()
    pid = os.posix_spawn(argv[0], argv, os.environ,
                         file_actions=[(os.POSIX_SPAWN_DUP2, devnull, 1), (os.POSIX_SPAWN_DUP2, devnull, 2)])
    os.waitpid(pid, 0)
    elapsed = (time.perf_counter() - start) * 1000
    os.close(devnull)
    return elapsed


def peak_memory(argv):
    """Peak resident memory in MB, through GNU time (whose own start-up is a few hundred KB)."""
    out = subprocess.run(["/usr/bin/time", "-f", "%M"] + argv, stdout=subprocess.DEVNULL,
                         stderr=subprocess.PIPE, text=True).stderr.strip().splitlines()
    return int(out[-1]) / 1024


def compare(name, ours, peer):
    times_ours, times_peer = [], []
    for _ in range(pairs):
        times_ours.append(run(ours))
        times_peer.append(run(*peer) if isinstance(peer, tuple) else run(peer))
    a, b = statistics.median(times_ours), statistics.median(times_peer)
    print(f"| `{name}` | {a:.2f} ms | {b:.2f} ms | {b / a:.2f}× | {peak_memory(ours):.1f} MB |", flush=True)
    return a, b


if not tool.exists():
    sys.exit(f"build the tool first: {tool}")
floor = statistics.median(run(["/bin/true"]) for _ in range(pairs))
print(f"Process start floor here (`/bin/true`, median of {pairs}): {floor:.2f} ms\n")
print("| Drawing | dessiscope-thumbnail | dwgbmp | ratio | our peak memory |")
print("|---|---:|---:|---:|---:|")
if dwgbmp.exists():
    for f in sorted((samples / "dwg").iterdir()):
        if f.suffix.lower() == ".dwg":
            compare(f.name, [str(tool), "-s", "256", str(f), str(work / "a.png")],
                    [str(dwgbmp), str(f), str(work / "b.bmp")])
else:
    print("| (dwgbmp not found) | | | | |")
print()
print("| Slide | dessiscope-thumbnail | sldtoppm \\| pnmscale \\| pnmtopng | ratio | our peak memory |")
print("|---|---:|---:|---:|---:|")
if shutil.which("sldtoppm"):
    for f in sorted((samples / "sld").iterdir()):
        if f.suffix.lower() == ".sld":
            pipeline = f"sldtoppm '{f}' | pnmscale -xysize 256 256 | pnmtopng > '{work / 'b.png'}'"
            compare(f.name, [str(tool), "-s", "256", str(f), str(work / "a.png")], (pipeline, True))
shutil.rmtree(work)
