#!/usr/bin/env python3
"""Compares `vellumetric-cli scan --json` of one tree from the Linux and the Windows builds, or
with `--totals LINUX WINDOWS DIR` the root totals the two builds' windows printed
(`window-shots --totals`: "N bytes, F files, D folders").

Paths aside, everything must agree, except that Windows reports directory entries with size 0:
each folder's Linux total is larger by the own sizes of the folders below it, which the script
reads with os.lstat.
"""
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


def main():
    if sys.argv[1] == "--totals":
        compare_totals(sys.argv[2], sys.argv[3], sys.argv[4])
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
