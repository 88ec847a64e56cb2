#!/usr/bin/env python3
"""Compares `vellumetric-cli scan --json` of one tree from the Linux and the Windows builds, or
with `--totals LINUX WINDOWS DIR` the root totals the two builds' windows printed
(`window-shots --totals`: "N bytes, F files, D folders"), or with
`--disk LINUX_CSV WINDOWS_CSV LINUX_JSON WINDOWS_JSON DIR` what the files take on disk, from each
build's `find --csv` and `scan --json` of DIR.

Paths aside, everything must agree, except that Windows reports directory entries with size 0:
each folder's Linux total is larger by the own sizes of the folders below it, which the script
reads with os.lstat. On disk, Windows (Wine too) gives folders no blocks, so the Linux root
is larger by the blocks of every folder, the root's own included.
"""
import csv
import json
import os
import sys


def load(path):
    with open(path, encoding="utf-8") as f:
        return json.load(f)


def dir_sizes_below(path):
    total = 0
    for root, dirs, _ in os.walk(path):
        for d in dirs:
            total += os.lstat(os.path.join(root, d)).st_size
    return total


def compare(lin, win, disk_path, where, problems):
    key = lambda n: n["name"]
    expected = lin["size"] - dir_sizes_below(disk_path)
    if (lin["files"], lin["folders"], expected) != (win["files"], win["folders"], win["size"]):
        problems.append(f"{where}: linux {lin['files']}/{lin['folders']}/{expected} "
                        f"windows {win['files']}/{win['folders']}/{win['size']}")
    lc = sorted(lin["children"], key=key)
    wc = sorted(win["children"], key=key)
    if [c["name"] for c in lc] != [c["name"] for c in wc]:
        problems.append(f"{where}: folder names differ")
        return
    for a, b in zip(lc, wc):
        compare(a, b, os.path.join(disk_path, a["name"]), where + "/" + a["name"], problems)


def compare_totals(lin_text, win_text, root):
    def parse(text):
        n, f, d = (int(part.split()[0]) for part in text.strip().split(","))
        return n, f, d
    (ln, lf, ld), (wn, wf, wd) = parse(lin_text), parse(win_text)
    expected = ln - dir_sizes_below(root)
    if (lf, ld, expected) != (wf, wd, wn):
        print(f"the windows disagree: linux {lf}/{ld}/{expected} windows {wf}/{wd}/{wn}")
        sys.exit(1)
    print(f"linux and windows windows agree: {wf} files, {wd} folders, {wn} bytes "
          f"(without directory entry sizes)")


def disk_by_file(path, root_prefix):
    """relative path (with /) -> disk bytes, from a find --csv export."""
    with open(path, newline="", encoding="utf-8") as f:
        rows = list(csv.DictReader(f))
    out = {}
    for r in rows:
        rel = r["path"][len(root_prefix):].lstrip("\\/").replace("\\", "/")
        out[rel] = int(r["disk_bytes"])
    return out


def compare_disk(lin_csv, win_csv, lin_json, win_json, root):
    lin_tree, win_tree = load(lin_json)["tree"], load(win_json)["tree"]
    lin = disk_by_file(lin_csv, lin_tree["path"])
    win = disk_by_file(win_csv, win_tree["path"])
    problems = []
    if set(lin) != set(win):
        problems.append(f"the builds list different files: {sorted(set(lin) ^ set(win))[:5]}")
    # A file with several names counts at whichever name a build met first: compare each file's
    # names together.
    files = {}
    for rel in lin:
        st = os.lstat(os.path.join(root, rel))
        files.setdefault((st.st_dev, st.st_ino), []).append(rel)
    linked = 0
    for names in files.values():
        linked += len(names) > 1
        a, b = sum(lin[n] for n in names), sum(win.get(n, 0) for n in names)
        if a != b:
            problems.append(f"{names}: linux {a} windows {b} bytes on disk")
    blocks = os.lstat(root).st_blocks * 512
    for top, dirs, _ in os.walk(root):
        blocks += sum(os.lstat(os.path.join(top, d)).st_blocks * 512 for d in dirs)
    if lin_tree["disk_bytes"] - blocks != win_tree["disk_bytes"]:
        problems.append(f"root: linux {lin_tree['disk_bytes']} less {blocks} of folders, "
                        f"windows {win_tree['disk_bytes']}")
    if problems:
        print("\n".join(problems[:20]))
        sys.exit(1)
    print(f"linux and windows agree on disk: {len(files)} files ({linked} with several names), "
          f"{win_tree['disk_bytes']} bytes (without folders' own blocks)")


def main():
    if sys.argv[1] == "--totals":
        compare_totals(sys.argv[2], sys.argv[3], sys.argv[4])
        return
    if sys.argv[1] == "--disk":
        compare_disk(*sys.argv[2:7])
        return
    lin, win, root = load(sys.argv[1]), load(sys.argv[2]), sys.argv[3]
    problems = []
    compare(lin["tree"], win["tree"], root, ".", problems)
    lb = [(f["name"], f["size"]) for f in lin["biggest"]]
    wb = [(f["name"], f["size"]) for f in win["biggest"]]
    if [s for _, s in lb] != [s for _, s in wb] or sorted(lb[:-1]) != sorted(wb[:-1]):
        problems.append(f"biggest files differ:\n  {lb}\n  {wb}")
    lg = {g["name"]: (g["count"], g["size"]) for g in lin.get("groups", [])}
    wg = {g["name"]: (g["count"], g["size"]) for g in win.get("groups", [])}
    if lg != wg:
        problems.append(f"groups differ:\n  {lg}\n  {wg}")
    if problems:
        print("\n".join(problems[:20]))
        sys.exit(1)
    t = win["tree"]
    print(f"linux and windows scans agree: {t['files']} files, {t['folders']} folders, "
          f"{t['size']} bytes (without directory entry sizes)")


if __name__ == "__main__":
    main()
