#!/usr/bin/python3
"""Scores the geometry pictures of the shared drawings against their reference pictures.

Usage: geometry_scores.py TOOL SAMPLES OUTDIR [--floor GROUP=SCORE ...] [--table FILE]

Every reference picture under SAMPLES/dwg/geometry/reference names a drawing (same name, same
folder below geometry/, or the top of dwg/ for those at the reference's top). Each drawing is drawn
by `TOOL --geometry -s 256`, scored with the ink score, and listed. A group is the reference's
folder ("old", "acadsharp", "." for the top); a floor fails the run when any score of its group is
below it, or when a drawing gives no picture."""
import argparse, os, pathlib, subprocess, sys

def drawing_for(samples, rel):
    geometry = samples / "dwg" / "geometry"
    stem = rel.with_suffix("")
    folder = geometry / stem.parent if str(stem.parent) != "." else samples / "dwg"
    for ext in (".dwg", ".DWG"):
        candidate = folder / (stem.name + ext)
        if candidate.is_file():
            return candidate
    return None

def score(inkscore, ours, reference):
    out = subprocess.run([sys.executable, str(inkscore), str(ours), str(reference)],
                         capture_output=True, text=True, check=True).stdout.split()
    return float(out[1]), float(out[3]), float(out[5])

def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("tool"); ap.add_argument("samples"); ap.add_argument("outdir")
    ap.add_argument("--floor", action="append", default=[])
    ap.add_argument("--table")
    a = ap.parse_args()
    samples, out = pathlib.Path(a.samples), pathlib.Path(a.outdir)
    reference_dir = samples / "dwg" / "geometry" / "reference"
    inkscore = samples.parent / "tools" / "inkscore.py"
    if not reference_dir.is_dir() or not inkscore.is_file():
        print("no shared samples: nothing to score")
        return 0
    floors = dict((g, float(v)) for g, v in (f.split("=") for f in a.floor))
    out.mkdir(parents=True, exist_ok=True)
    rows, failures = [], []
    for reference in sorted(reference_dir.rglob("*.png")):
        rel = reference.relative_to(reference_dir)
        group = str(rel.parent)
        dwg = drawing_for(samples, rel)
        if dwg is None:
            continue
        ours = out / (str(rel.with_suffix("")).replace(os.sep, "__") + ".png")
        run = subprocess.run([a.tool, "--geometry", "-s", "256", str(dwg), str(ours)],
                             capture_output=True, text=True)
        if run.returncode != 0:
            rows.append((group, rel.stem, None, run.stderr.strip()))
            if group in floors:
                failures.append(f"{rel}: no picture ({run.stderr.strip()})")
            continue
        f, p, r = score(inkscore, ours, reference)
        rows.append((group, rel.stem, (f, p, r), ""))
        if group in floors and f < floors[group]:
            failures.append(f"{rel}: score {f:.3f} below {floors[group]}")
    lines = ["| group | drawing | score | precision | recall |", "|---|---|---|---|---|"]
    for group, name, s, why in rows:
        lines.append(f"| {group} | {name} | " + (" | ".join(f"{v:.3f}" for v in s) if s else f"none | | {why}") + " |")
    for group in sorted(set(r[0] for r in rows)):
        scores = sorted(r[2][0] for r in rows if r[0] == group and r[2])
        if scores:
            lines.append(f"| {group} | median of {len(scores)} | {scores[len(scores) // 2]:.3f} | | |")
    text = "\n".join(lines) + "\n"
    print(text)
    if a.table:
        pathlib.Path(a.table).write_text(text)
    for f in failures:
        print("FAIL", f)
    return 1 if failures else 0

sys.exit(main())
