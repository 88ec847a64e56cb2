#!/usr/bin/env python3
"""Builds a tree holding every kind of copy and near-copy, then compares the groups of
`vellumetric-cli dupes` with those of jdupes, rdfind and rmlint run by the same user on it. A group
is compared as the set of its files, each known by device and inode, so the tools may name a file
with two names either way and may list the groups in any order.

  dupes_peers.py CLI WORK          the groups of files against the peers
  dupes_peers.py CLI WORK folders  the groups of folders against a walk of the tree

Prints one line per check: "<what> same" or "<what> differs: ...".
"""
import hashlib
import json
import shutil
import os
import random
import subprocess
import sys

cli, work = sys.argv[1], sys.argv[2]
root = os.path.join(work, 'tree')
rng = random.Random(38)


def write(rel, data):
    path = os.path.join(root.encode(), rel if isinstance(rel, bytes) else rel.encode())
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'wb') as f:
        f.write(data)
    return path


def build():
    # Copies across folders, of sizes around the stages' ends.
    for i, size in enumerate([1, 100, 4095, 4096, 4097, 70000, 300000, 1048576, 1048577]):
        data = rng.randbytes(size)
        for k in range(2 + i % 3):
            write(f'set{k}/sub{i % 4}/copy_{i}_{k}.bin', data)
    # Equal in the first 4 KiB, then different; and in the first MiB, then different. One of
    # each has a true copy.
    for name, head, tail in (('head4k', 4096, 6000), ('head1m', 1 << 20, 300000)):
        start = rng.randbytes(head)
        tails = [rng.randbytes(tail) for _ in range(3)]
        for k, t in enumerate(tails):
            write(f'{name}/f{k}', start + t)
        write(f'{name}/copy/f0', start + tails[0])
    # Equal sizes, different bytes throughout.
    for k in range(10):
        write(f'samesize/r{k}', rng.randbytes(5000))
    # More files of one size than are read side by side: 40 copies, 24 that share the copies'
    # first 4 KiB only (in pairs), 16 of their own.
    same = rng.randbytes(8192)
    for k in range(40):
        write(f'many/c{k:02}', same)
    for k in range(12):
        other = same[:4096] + rng.randbytes(4096)
        write(f'many/h{k:02}a', other)
        write(f'many/h{k:02}b', other)
    for k in range(16):
        write(f'many/u{k:02}', rng.randbytes(8192))
    # Hard links: a second name of a file that has copies, and a file whose only "copy" is its
    # own second name.
    os.makedirs(os.path.join(root, 'links'))
    os.link(os.path.join(root, 'set0/sub1/copy_5_0.bin'), os.path.join(root, 'links/same_file'))
    lone = write('links/lone', rng.randbytes(3000))
    os.link(lone, os.path.join(root, 'links/lone_again'))
    # Empty files, which no tool counts as copies.
    for k in range(5):
        write(f'empty/e{k}', b'')
    # Unicode names, and a name that is not UTF-8.
    text = rng.randbytes(2222)
    write('Übersicht/写真 ① naïve.bin', text)
    write('Übersicht/résumé copy.bin', text)
    write(b'raw/\xff\xfe latin\xe9.bin', text)
    # An unreadable file with two copies that can be read.
    locked = rng.randbytes(9999)
    for k in range(3):
        write(f'locked{k}/secret.bin', locked)
    os.chmod(os.path.join(root, 'locked0/secret.bin'), 0)


def identities():
    """Every file's path, as our JSON spells it, to (device, inode); and to its path's bytes."""
    ids, raw = {}, {}
    for folder, _, files in os.walk(root.encode()):
        for f in files:
            path = os.path.join(folder, f)
            st = os.lstat(path)
            ids[path.decode('utf-8', 'replace')] = (st.st_dev, st.st_ino)
            raw[path.decode('utf-8', 'replace')] = path
    return ids, raw


def raw_groups(groups, ids):
    groups = [[p for p in g if p] for g in groups]
    return {frozenset(ids[p.decode('utf-8', 'replace')] for p in g) for g in groups if len(g) > 1}


def jdupes():
    out = subprocess.run(['jdupes', '-r', '-q', '-0', root], capture_output=True).stdout
    return [g.split(b'\0') for g in out.split(b'\0\0') if g.strip(b'\0')]


def rdfind():
    listing = os.path.join(work, 'rdfind.txt')
    subprocess.run(['rdfind', '-outputname', listing, '-dryrun', 'true', root],
                   capture_output=True)
    groups = {}
    with open(listing, 'rb') as f:
        for line in f:
            if line.startswith(b'#'):
                continue
            fields = line.rstrip(b'\n').split(b' ', 7)
            groups.setdefault(abs(int(fields[1])), []).append(fields[7])
    return list(groups.values())


def rmlint():
    out = subprocess.run(['rmlint', '-T', 'df', '-o', 'fdupes:stdout', '-r', '-F', '-L', root],
                         capture_output=True, cwd=work).stdout
    return [g.split(b'\n') for g in out.split(b'\n\n') if g.strip(b'\n')]


def ours(*options):
    out = subprocess.run([cli, 'dupes', root, '--json', *options], capture_output=True,
                         check=True).stdout
    return json.loads(out)


def report(what, mine, theirs):
    if mine == theirs:
        print(what, 'same', len(mine))
    else:
        print(what, 'differs: only ours', sorted(map(sorted, mine - theirs)), 'only theirs',
              sorted(map(sorted, theirs - mine)))


def files_mode():
    build()
    ids, raw = identities()
    files = [raw[p] for p in ids if not p.endswith('secret.bin') or 'locked0' not in p]
    # Reading must leave the last access alone: old times that a relatime mount would refresh.
    for p in files:
        st = os.lstat(p)
        os.utime(p, ns=(978307200 * 10**9, st.st_mtime_ns))
    doc = ours()
    changed = [p for p in files if os.lstat(p).st_atime_ns != 978307200 * 10**9]
    print('atime', 'same' if not changed else f'differs: {changed[:3]}', len(files))
    mine = {frozenset(ids[p] for p in g['paths']) for g in doc['groups']}
    quick = {frozenset(ids[p] for p in g['paths']) for g in ours('--no-byte-check')['groups']}
    report('no-byte-check', quick, mine)
    for name, tool in (('jdupes', jdupes), ('rdfind', rdfind), ('rmlint', rmlint)):
        report(name, mine, raw_groups(tool(), ids))
    # Wasted bytes: what every file of a group but one takes on disk (copies of one size take
    # the same here: none is sparse).
    disk = {i: os.lstat(raw[p]).st_blocks * 512 for p, i in ids.items()}
    wasted = sum(sum(disk[i] for i in g) - disk[next(iter(g))] for g in mine)
    print('wasted', 'same' if doc['wasted'] == wasted else f"differs: {doc['wasted']} {wasted}", 1)
    print('left_out', 'same' if doc['left_out'] == 1 else f"differs: {doc['left_out']}", 1)


def build_folders():
    photos = 'photos/2019'
    for k in range(6):
        write(f'{photos}/img{k}.jpg', rng.randbytes(rng.randrange(1000, 90000)))
    write(f'{photos}/trip/map.png', rng.randbytes(5000))
    write(f'{photos}/trip/empty.txt', b'')
    os.makedirs(os.path.join(root, photos, 'trip/nothing'))
    for copy in ('backup/photos-2019', 'old/photos'):
        shutil.copytree(os.path.join(root, photos), os.path.join(root, copy))
    # Near copies: one byte changed, one empty file more, one name changed.
    for near in ('near/a', 'near/b', 'near/c'):
        shutil.copytree(os.path.join(root, photos), os.path.join(root, near))
    with open(os.path.join(root, 'near/a/img3.jpg'), 'r+b') as f:
        f.seek(-1, 2)
        last = f.read(1)
        f.seek(-1, 2)
        f.write(bytes([last[0] ^ 1]))
    write('near/b/extra', b'')
    os.rename(os.path.join(root, 'near/c/img0.jpg'), os.path.join(root, 'near/c/IMG0.jpg'))
    # Only empty files: nothing to gain. A mirror of hard links: no room taken twice.
    for k in ('x', 'y'):
        write(f'blank/{k}/e', b'')
    for folder, _, names in os.walk(os.path.join(root, photos)):
        rel = os.path.relpath(folder, os.path.join(root, photos))
        os.makedirs(os.path.join(root, 'mirror', rel), exist_ok=True)
        for n in names:
            os.link(os.path.join(folder, n), os.path.join(root, 'mirror', rel, n))
    # A copy with an unreadable file is not known to be a copy.
    shutil.copytree(os.path.join(root, photos), os.path.join(root, 'shut'))
    os.chmod(os.path.join(root, 'shut/img1.jpg'), 0)


def signs():
    """Each folder's whole content as a digest, its size and its files' identities."""
    info = {}
    for folder, dirs, names in os.walk(root, topdown=False):
        parts, size, files, ok = [], 0, set(), True
        for n in sorted(names):
            p = os.path.join(folder, n)
            st = os.lstat(p)
            try:
                with open(p, 'rb') as f:
                    digest = hashlib.sha256(f.read()).hexdigest()
            except OSError:
                ok = False
                digest = ''
            parts.append(('f', n, digest))
            size += st.st_size
            files.add((st.st_dev, st.st_ino))
        for d in sorted(dirs):
            sub = info[os.path.join(folder, d)]
            parts.append(('d', d, sub['sign']))
            size += sub['size']
            files |= sub['files']
            ok = ok and sub['ok']
        info[folder] = {'sign': hashlib.sha256(repr(parts).encode()).hexdigest(), 'size': size,
                        'files': files, 'ok': ok}
    return info


def folders_mode():
    build_folders()
    info = signs()
    doc = ours('--folders')
    groups = [g['paths'] for g in doc['groups'] if g['kind'] == 'folders']
    bad = [g for g in groups if len({info[p]['sign'] for p in g}) != 1]
    print('equal', 'same' if not bad else f'differs: {bad}', len(groups))
    # The mirror and the folder it mirrors are one folder: either may stand for it.
    wanted = [sorted(os.path.join(root, p) for p in ('backup/photos-2019', 'old/photos', one))
              for one in ('photos/2019', 'mirror')]
    found = any(w in [sorted(g) for g in groups] for w in wanted)
    print('copies', 'same' if found else f'differs: {groups}', 1)

    # Every set of equal folders (readable, not empty, not one another's hard links) is listed
    # as it is, or lies wholly inside the copies of one listed group.
    def cover(path):
        for i, g in enumerate(groups):
            if any(path.startswith(m + os.sep) for m in g):
                return i
        return None
    by_sign = {}
    for path, i in info.items():
        if path != root and i['ok'] and i['size'] > 0:
            by_sign.setdefault(i['sign'], []).append(path)
    missed = []
    for same in by_sign.values():
        distinct = []
        for p in sorted(same):
            if not info[p]['files'] <= set().union(*(info[q]['files'] for q in distinct)):
                distinct.append(p)
        if len(distinct) < 2:
            continue
        covers = {cover(p) for p in distinct}
        if not (len(covers) == 1 and None not in covers) and sorted(distinct) not in \
                [sorted(g) for g in groups]:
            missed.append(distinct)
    print('complete', 'same' if not missed else f'differs: {missed}', len(by_sign))
    nested = [g for g in groups if len({cover(p) for p in g}) == 1 and cover(g[0]) is not None]
    print('outermost', 'same' if not nested else f'differs: {nested}', len(groups))


if len(sys.argv) > 3 and sys.argv[3] == 'folders':
    folders_mode()
else:
    files_mode()
