// `find` and the CSV exports as users run them, against what GNU find, stat and python3's csv
// module make of the same trees.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "CliRunner.h"
#include "TRandomTree.h"
#include "TTempDir.h"

namespace Vellumetric {
namespace {

using namespace Testing;

// Gives every file (not links, not folders) a last access between hours and years ago, chosen
// from the file's path, never within a day after a query's limit (find -atime +D counts whole
// days, so it wants D + 1 where we want D), then runs each query through our find and
// GNU find (in a UTF-8 locale, so "?" is one character in both) and prints, per query, "same"
// or "differs" with the number of matches. Our list must also be ordered largest first, ties by
// path, and its count and bytes must cover every match.
const char* const kCompareScript = R"PY(
import json, os, subprocess, sys, time, zlib
cli, root = sys.argv[1], sys.argv[2]
now = time.time()
ages = [0.2, 2.5, 29.5, 31.5, 45.6, 200.4, 399.5, 401.5, 3000.3]
for d, dirs, files in os.walk(root):
    for f in files:
        p = os.path.join(d, f)
        if os.path.islink(p):
            continue
        age = ages[zlib.crc32(p.encode('utf-8', 'surrogateescape')) % len(ages)]
        os.utime(p, (now - age * 86400, os.lstat(p).st_mtime))
queries = [
    (['--name', '*.jpg'], ['-iname', '*.jpg']),
    (['--name', 'report*', '--min', '>4096'], ['-iname', 'report*', '-size', '+4096c']),
    (['--name', '*a ?*', '--max', '<70001', '--older-than', '30'],
     ['-iname', '*a ?*', '-size', '-70001c', '-atime', '+30']),
    (['--name', '*[0-9].[!j]*', '--older-than', '3'], ['-iname', '*[0-9].[!j]*', '-atime', '+3']),
    (['--older-than', '400', '--min', '513'], ['-atime', '+400', '-size', '+512c']),
    (['--name', '*', '--max', '0'], ['-iname', '*', '-size', '-1c']),
    ([], []),
]
env = dict(os.environ, LC_ALL='C.UTF-8')
for ours, theirs in queries:
    out = subprocess.run([cli, 'find', root, '--json'] + ours, capture_output=True, check=True)
    doc = json.loads(out.stdout)
    got = [(f['path'], f['size']) for f in doc['files']]
    listed = subprocess.run(['find', root, '-mindepth', '1', '!', '-type', 'd'] + theirs +
                            ['-printf', '%s\t%p\\0'], capture_output=True, check=True, env=env)
    want = set()
    for entry in listed.stdout.split(b'\0')[:-1]:
        size, path = entry.split(b'\t', 1)
        want.add((path.decode('utf-8'), int(size)))
    ordered = got == sorted(got, key=lambda f: (-f[1], f[0].encode('utf-8')))
    totals = doc['count'] == len(want) and doc['bytes'] == sum(s for _, s in want)
    same = set(got) == want and len(got) == len(want) and ordered and totals
    print('same' if same else 'differs', len(want))
)PY";

TEST(CliFind, ListsExactlyWhatGnuFindListsOnRandomTrees) {
  for (std::uint32_t seed = 0; seed < 4; ++seed) {
    TTempDir tmp;
    const std::string root = tmp / "tree";
    ASSERT_EQ(::mkdir(root.c_str(), 0755), 0);
    MakeRandomTree(root, seed, false);
    const std::string out = RunCommand("python3 -c " + ShellQuote(kCompareScript) + " " +
                                       ShellQuote(kCli) + " " + ShellQuote(root));
    std::istringstream lines(out);
    std::string verdict;
    std::size_t matches = 0;
    std::size_t queries = 0;
    std::size_t answered = 0;
    while (lines >> verdict >> matches) {
      ++queries;
      EXPECT_EQ(verdict, "same") << "seed " << seed << ", query " << queries;
      if (matches > 0) ++answered;
    }
    EXPECT_EQ(queries, 7u) << out;
    EXPECT_GE(answered, 4u) << "seed " << seed << ": too few queries matched anything";
  }
}

TEST(CliFind, TopKeepsTheLargestAndTextNamesTheTotal) {
  TTempDir tmp;
  for (int i = 0; i < 5; ++i) MakeFile(tmp / ("f" + std::to_string(i) + ".iso"), 1000 + i);
  MakeFile(tmp / "tie.iso", 1004);
  MakeFile(tmp / "other.txt", 99999);
  const std::string text = Cli("find " + ShellQuote(tmp.Path()) + " --name '*.ISO' --top 2");
  const std::string head = text.substr(0, text.find("\n\n"));
  // Two lines: the two files of 1004 bytes, in path order.
  EXPECT_EQ(std::count(head.begin(), head.end(), '\n'), 1) << text;
  EXPECT_LT(head.find("/f4.iso"), head.find("/tie.iso")) << text;
  EXPECT_NE(text.find("\n6 files, 5.87 KB (6014 bytes), "), std::string::npos) << text;
  EXPECT_NE(text.find(" on disk; the largest 2 shown\n"), std::string::npos) << text;
}

TEST(CliFind, BadQueriesAreUsageErrorsAndBadPathsCannotBeScanned) {
  TTempDir tmp;
  int status = 0;
  for (const char* bad : {"find", "find . --min 1X", "find . --min '<5M'", "find . --max ''",
                          "find . --min 2G --max 1G", "find . --older-than -1", "find . --top 0",
                          "find . --json --csv", "find . --name"}) {
    const std::string out = Cli(bad, &status);
    EXPECT_EQ(status, 2) << bad;
    EXPECT_NE(out.find("usage:"), std::string::npos) << bad << ": " << out;
  }
  const std::string out = Cli("find . --group 'no such group'", &status);
  EXPECT_EQ(status, 2);
  EXPECT_NE(out.find("unknown group \"no such group\"; the groups are:"), std::string::npos);
  EXPECT_NE(out.find("\n  Video Files\n"), std::string::npos) << out;
  EXPECT_EQ(Cli("find " + ShellQuote(tmp / "missing"), &status),
            "cannot scan " + tmp / "missing" + ": No such file or directory\n");
  EXPECT_EQ(status, 1);
}

}  // namespace
}  // namespace Vellumetric
