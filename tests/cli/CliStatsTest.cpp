// `stats` as users run it, against GNU find's sizes, blocks and times of a tree made here with
// files dated across several years by touch -d, bucketed by a few lines of python.
#include <gtest/gtest.h>

#include <string>

#include "CliRunner.h"
#include "TTempDir.h"

namespace Vellumetric {
namespace {

using namespace Testing;

// Makes the tree: sizes from empty to sparse gigabytes, names with and without version numbers,
// last access and last change set apart by touch -a -d and touch -m -d, some of them near a New
// Year in UTC (which year they fall in depends on the time zone) and some within the last two
// years (for the months). Then compares `stats --json`, `stats --group .so --json` and the
// month rows of `stats --csv` with find -printf '%s %b %A@ %T@ %f'. The last change is the
// content's (%T@, st_mtime): the status change (%C@) is always now, touch cannot date it.
// Prints "same WHAT" or "differs WHAT: details".
const char* const kStatsScript = R"PY(
import csv, io, json, os, subprocess, sys, time
cli, root, zone = sys.argv[1], sys.argv[2], sys.argv[3]
if zone != '-':
    os.environ['TZ'] = zone
    time.tzset()
now = int(time.time())
dates = ['2015-06-01 12:00 UTC', '2017-02-28 08:00 UTC', '2020-12-31 23:30 UTC',
         '2021-01-01 00:30 UTC', '2022-07-15 10:00 UTC', '@%d' % (now - 400 * 86400),
         '@%d' % (now - 100 * 86400), '@%d' % (now - 40 * 86400), '@%d' % (now - 3600)]
names = ['libc.so.6', 'libx.so', 'libm.SO.1.2', 'python3.11', 'notes.txt', 'a.so.bak', 'README',
         'data.bin']
sizes = [0, 0, 1, 2, 3, 7, 100, 4095, 4096, 5000, 70000, 1 << 20, (3 << 30) + 5]
os.makedirs(os.path.join(root, 'sub', 'deeper'))
n = 0
for i, size in enumerate(sizes * 3):
    folder = [root, os.path.join(root, 'sub'), os.path.join(root, 'sub', 'deeper')][i % 3]
    path = os.path.join(folder, '%d-%s' % (i, names[i % len(names)]))
    with open(path, 'wb') as f:
        if size <= 70000:
            f.write(b'x' * size)
        else:
            f.truncate(size)
    subprocess.run(['touch', '-a', '-d', dates[i % len(dates)], path], check=True)
    subprocess.run(['touch', '-m', '-d', dates[(i * 5 + 2) % len(dates)], path], check=True)

out = subprocess.run(['find', root, '-mindepth', '1', '!', '-type', 'd', '-printf',
                      '%s %b %A@ %T@ %f\\n'], capture_output=True, check=True, text=True).stdout
files = []
for line in out.splitlines():
    s, b, a, t, name = line.split(' ', 4)
    files.append((int(s), int(b) * 512, int(float(a)), int(float(t)), name))

def versioned(name):
    parts = name.split('.')
    while len(parts) > 1 and parts[-1].isdigit():
        parts.pop()
    return '.' + parts[-1].lower() if len(parts) > 1 else ''

def cells(rows):
    return {'count': len(rows), 'bytes': sum(r[0] for r in rows), 'disk_bytes': sum(r[1] for r in rows)}

def years(rows, which):
    this_year = time.localtime(now).tm_year
    got = [time.localtime(r[which]).tm_year for r in rows]
    out = []
    for y in range(min(got), max(got + [this_year]) + 1):
        out.append(dict(year=y, **cells([r for r, g in zip(rows, got) if g == y])))
    return out

def expected(rows):
    doc = {'root': root, 'files': len(rows), 'bytes': sum(r[0] for r in rows)}
    top = max(r[0].bit_length() for r in rows)
    doc['size_buckets'] = [
        dict({'from': 0 if b == 0 else 1 << (b - 1), 'to': 1 << b},
             **cells([r for r in rows if r[0].bit_length() == b])) for b in range(top + 1)]
    ordered = sorted(r[0] for r in rows)
    def nearest(k):
        return next(s for s in ordered if sum(1 for x in ordered if x <= s) * 100 >= k * len(ordered))
    doc['percentiles'] = {'P%d' % k: nearest(k) for k in [0, 1, 5, 10, 25, 50, 75, 90, 95, 99, 100]}
    doc['access_years'] = years(rows, 2)
    doc['change_years'] = years(rows, 3)
    return doc

def check(what, args, rows):
    got = json.loads(subprocess.run([cli, 'stats', root] + args + ['--json'], capture_output=True,
                                    check=True).stdout)
    want = expected(rows)
    if got == want:
        print('same', what)
    else:
        diff = [k for k in want if got.get(k) != want[k]] + [k for k in got if k not in want]
        print('differs', what + ':', diff, json.dumps(got)[:2000], json.dumps(want)[:2000])

check('all', [], files)
check('.so', ['--group', '.so'], [r for r in files if versioned(r[4]) == '.so'])

table = subprocess.run([cli, 'stats', root, '--csv'], capture_output=True, check=True).stdout
rows = list(csv.DictReader(io.StringIO(table.decode('utf-8'))))
this_year = time.localtime(now).tm_year
for kind, which in (('access_month', 2), ('change_month', 3)):
    got = {r['name']: int(r['count']) for r in rows if r['table'] == kind}
    want = {}
    for y in (this_year - 1, this_year):
        for m in range(1, 13):
            want['%d-%02d' % (y, m)] = sum(1 for r in files if time.localtime(r[which])[:2] == (y, m))
    print('same' if got == want else 'differs', kind + ':', '' if got == want else (got, want))
)PY";

TEST(CliStats, FiguresMatchGnuFindBucketedHere) {
  for (const char* zone : {"-", "America/St_Johns"}) {
    TTempDir tmp;
    const std::string out =
        RunCommand("python3 -c " + ShellQuote(kStatsScript) + " " + ShellQuote(kCli) + " " +
                   ShellQuote(tmp / "tree") + " " + zone + " 2>&1");
    EXPECT_EQ(out, "same all\nsame .so\nsame access_month: \nsame change_month: \n")
        << "time zone " << zone;
  }
}

TEST(CliStats, TextReportAndBadArguments) {
  TTempDir tmp;
  MakeFile(tmp / "a.mp4", 5000);
  MakeFile(tmp / "b.txt", 0);
  const std::string text = Cli("stats " + ShellQuote(tmp.Path()));
  EXPECT_NE(text.find(": 2 files, 4.88 KB (5000 bytes)\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\n  4 KB to 8 KB"), std::string::npos) << text;
  EXPECT_NE(text.find("\n   P50     0.00 KB  (0 bytes)\n"), std::string::npos) << text;
  const std::string audio = Cli("stats " + ShellQuote(tmp.Path()) + " --group audio --json");
  EXPECT_NE(audio.find("\"files\":1,\"bytes\":5000,"), std::string::npos) << audio;
  int status = 0;
  for (const char* bad :
       {"stats", "stats . --json --csv", "stats . --group", "stats . --what", "stats a b"}) {
    const std::string out = Cli(bad, &status);
    EXPECT_EQ(status, 2) << bad;
    EXPECT_NE(out.find("usage:"), std::string::npos) << bad << ": " << out;
  }
  Cli("stats . --group 'no such group'", &status);
  EXPECT_EQ(status, 2);
  const std::string empty = Cli("stats " + ShellQuote(tmp.Path()) + " --group .iso --json");
  EXPECT_NE(empty.find("\"files\":0,\"bytes\":0,\"size_buckets\":[],\"percentiles\":{\"P0\":null"),
            std::string::npos)
      << empty;
}

}  // namespace
}  // namespace Vellumetric
