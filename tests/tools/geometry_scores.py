#!/usr/bin/python3
"""Scores the geometry pictures of the shared drawings against their reference pictures.

Usage: geometry_scores.py TOOL SAMPLES OUTDIR [--floor GROUP=SCORE ...] [--median-floor GROUP=SCORE ...]
                          [--single-floor GROUP=SCORE ...] [--table FILE] [--stored-table FILE]

Every reference picture under SAMPLES/dwg/geometry/reference names a drawing (same name, same
folder below geometry/, or the top of dwg/ for those at the reference's top). Each drawing is drawn
by `TOOL --geometry -s 256`, scored with the ink score, and listed. A group is the reference's
folder ("old", "acadsharp", "." for the top); a floor fails the run when any score of its group is
below it, or when a drawing gives no picture. A median floor fails the run when the median of its
group is below it. A single floor holds for each drawing of its group whose model space is one entity
drawn by lines (not a text: the reference draws its own fonts) and whose reference has ink (the
reference's decoder drops what it cannot read, leaving some pictures empty): it fails the run when
such a drawing scores below it or gives no picture.

With --stored-table, every drawing of release 13 on (the top of dwg/ and geometry/acadsharp/) that
holds a stored preview is also scored against that preview, drawn by `TOOL -s 256`, and listed in
FILE; those scores only inform (a stored preview shows what was on screen when the drawing was
saved, not always the whole model space)."""
import argparse, collections, json, os, pathlib, subprocess, sys

# Records that only frame others: not entities of their own.
FRAMING = {"BLOCK", "ENDBLK", "SEQEND", "VERTEX"}
TEXTS = {"TEXT", "ATTDEF", "ATTRIB", "MTEXT", "SHAPE"}

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

def one_entity_kind(tool, dwg):
    """The kind of the drawing's only model-space entity, or None."""
    run = subprocess.run([tool, "--info", str(dwg)], capture_output=True, text=True)
    try:
        geometry = json.loads(run.stdout).get("geometry", {})
    except ValueError:
        return None
    kinds = {k: n for k, n in geometry.get("entities", {}).items() if k not in FRAMING}
    if geometry.get("blocks", 0) or sum(kinds.values()) != 1:
        return None
    return next(iter(kinds))

def has_ink(picture):
    from PIL import Image, ImageChops
    im = Image.open(picture).convert("RGB")
    w, h = im.size
    px = im.load()
    border = [px[x, 0] for x in range(w)] + [px[x, h - 1] for x in range(w)] + \
             [px[0, y] for y in range(h)] + [px[w - 1, y] for y in range(h)]
    bg = collections.Counter(border).most_common(1)[0][0]
    diff = ImageChops.difference(im, Image.new("RGB", im.size, bg)).convert("L")
    return diff.point(lambda v: 255 if v > 32 else 0).getbbox() is not None

def pairs(values):
    return dict((g, float(v)) for g, v in (f.split("=") for f in values))

def stored_scores(tool, inkscore, samples, out, table):
    """Each geometry picture against the drawing's own stored preview."""
    dwg_dir = samples / "dwg"
    drawings = sorted(f for f in dwg_dir.iterdir() if f.suffix.lower() == ".dwg")
    drawings += sorted((dwg_dir / "geometry" / "acadsharp").glob("*.dwg"))
    lines = ["| drawing | score | precision | recall |", "|---|---|---|---|"]
    for dwg in drawings:
        info = subprocess.run([tool, "--info", str(dwg)], capture_output=True, text=True)
        try:
            source = json.loads(info.stdout).get("source")
        except ValueError:
            continue
        if source != "stored":
            continue
        stored, ours = out / ("stored__" + dwg.stem + ".png"), out / ("geometry__" + dwg.stem + ".png")
        if subprocess.run([tool, "-s", "256", str(dwg), str(stored)], capture_output=True).returncode != 0:
            continue
        run = subprocess.run([tool, "--geometry", "-s", "256", str(dwg), str(ours)], capture_output=True, text=True)
        if run.returncode != 0:
            lines.append(f"| {dwg.name} | none | | {run.stderr.strip()} |")
            continue
        lines.append(f"| {dwg.name} | " + " | ".join(f"{v:.3f}" for v in score(inkscore, ours, stored)) + " |")
    text = "\n".join(lines) + "\n"
    print(text)
    table.write_text(text)

def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("tool"); ap.add_argument("samples"); ap.add_argument("outdir")
    ap.add_argument("--floor", action="append", default=[])
    ap.add_argument("--median-floor", action="append", default=[])
    ap.add_argument("--single-floor", action="append", default=[])
    ap.add_argument("--table")
    ap.add_argument("--stored-table")
    a = ap.parse_args()
    samples, out = pathlib.Path(a.samples), pathlib.Path(a.outdir)
    reference_dir = samples / "dwg" / "geometry" / "reference"
    inkscore = samples.parent / "tools" / "inkscore.py"
    if not reference_dir.is_dir() or not inkscore.is_file():
        print("no shared samples: nothing to score")
        return 0
    floors, medians, singles = pairs(a.floor), pairs(a.median_floor), pairs(a.single_floor)
    out.mkdir(parents=True, exist_ok=True)
    rows, failures = [], []
    for reference in sorted(reference_dir.rglob("*.png")):
        rel = reference.relative_to(reference_dir)
        group = str(rel.parent)
        dwg = drawing_for(samples, rel)
        if dwg is None:
            continue
        ours = out / (str(rel.with_suffix("")).replace(os.sep, "__") + ".png")
        single = None
        if group in singles:
            kind = one_entity_kind(a.tool, dwg)
            if kind and kind not in TEXTS and has_ink(reference):
                single = kind
        run = subprocess.run([a.tool, "--geometry", "-s", "256", str(dwg), str(ours)],
                             capture_output=True, text=True)
        if run.returncode != 0:
            rows.append((group, rel.stem, None, single, run.stderr.strip()))
            if group in floors or single:
                failures.append(f"{rel}: no picture ({run.stderr.strip()})")
            continue
        f, p, r = score(inkscore, ours, reference)
        rows.append((group, rel.stem, (f, p, r), single, ""))
        if group in floors and f < floors[group]:
            failures.append(f"{rel}: score {f:.3f} below {floors[group]}")
        if single and f < singles[group]:
            failures.append(f"{rel}: one {single}, score {f:.3f} below {singles[group]}")
    lines = ["| group | drawing | score | precision | recall | one entity |", "|---|---|---|---|---|---|"]
    for group, name, s, single, why in rows:
        lines.append(f"| {group} | {name} | " +
                     (" | ".join(f"{v:.3f}" for v in s) if s else f"none | | {why}") + f" | {single or ''} |")
    for group in sorted(set(r[0] for r in rows)):
        scores = sorted(r[2][0] for r in rows if r[0] == group and r[2])
        if scores:
            median = scores[len(scores) // 2]
            lines.append(f"| {group} | median of {len(scores)} | {median:.3f} | | | |")
            if group in medians and median < medians[group]:
                failures.append(f"group {group}: median {median:.3f} below {medians[group]}")
    for group in medians:
        if not any(r[0] == group and r[2] for r in rows):
            failures.append(f"group {group}: no drawing scored")
    text = "\n".join(lines) + "\n"
    print(text)
    if a.table:
        pathlib.Path(a.table).write_text(text)
    if a.stored_table:
        stored_scores(a.tool, inkscore, samples, out, pathlib.Path(a.stored_table))
    for f in failures:
        print("FAIL", f)
    return 1 if failures else 0

sys.exit(main())
