// Folders left out by rules, checked against the GNU tools that leave out the same folders:
// du --exclude, find -prune and tar --exclude-caches-all. Totals are sizes and counts of a tree
// made here, with node_modules at several depths, cache tags good and bad, blanks and Unicode.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "CliRunner.h"
#include "TTempDir.h"

namespace Vellumetric {
namespace {

using namespace Testing;

constexpr const char* kSignature = "Signature: 8a477f597d28d172789f06886806bc55";

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// Prints "size files folders excluded-paths..." of the CLI's JSON root, the paths sorted.
constexpr const char* kJsonTotals = R"PY(
import json, sys
doc = json.load(sys.stdin)
out = []
def walk(n):
    if n.get('excluded'): out.append(n['path'])
    for c in n['children']: walk(c)
walk(doc['tree'])
t = doc['tree']
print(t['size'], t['files'], t['folders'], *sorted(out))
)PY";

class CliExclude : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(::chmod(Tmp.Path().c_str(), 0755), 0);
    Root = Tmp / "tree";
    for (const char* d : {"",
                          "/app",
                          "/app/node_modules",
                          "/app/node_modules/lib",
                          "/app/node_modules/lib/node_modules",
                          "/app/src",
                          "/sp ace",
                          "/sp ace/ünïcødé",
                          "/sp ace/ünïcødé/node_modules",
                          "/deep",
                          "/deep/a",
                          "/deep/a/b",
                          "/deep/a/b/node_modules",
                          "/deep/a/b/Node_Modules",
                          "/cache",
                          "/cache/objects",
                          "/badcache",
                          "/shortcache",
                          "/files",
                          "/lib",
                          "/lib/deep",
                          "/lib/deep/x"}) {
      ASSERT_EQ(::mkdir((Root + d).c_str(), 0755), 0) << d;
    }
    MakeFile(Root + "/app/node_modules/lib/index.js", 3001);
    MakeFile(Root + "/app/node_modules/lib/node_modules/inner.js", 1703);
    MakeFile(Root + "/app/src/main.c", 907);
    MakeFile(Root + "/sp ace/ünïcødé/node_modules/ß.js", 4409);
    MakeFile(Root + "/sp ace/ünïcødé/kept file.txt", 1111);
    MakeFile(Root + "/deep/a/b/node_modules/x", 20011);
    MakeFile(Root + "/deep/a/b/Node_Modules/y", 313);  // case counts on Linux: kept
    MakeFile(Root + "/cache/objects/blob", 50021);
    WriteText(Root + "/cache/CACHEDIR.TAG", std::string(kSignature) + "\n# made by a test\n");
    MakeFile(Root + "/badcache/data", 7007);
    WriteText(Root + "/badcache/CACHEDIR.TAG", "Signature: 8a477f597d28d172789f06886806bc56\n");
    MakeFile(Root + "/shortcache/data", 6006);
    ASSERT_EQ(::mkdir((Root + "/lib/deep/CACHEDIR.TAG").c_str(), 0755), 0);  // a folder: no tag
    WriteText(Root + "/shortcache/CACHEDIR.TAG", "Signature: 8a477f597d28d172789f0688680");
    // A file named like the rule: du leaves files out too, the rules only folders.
    MakeFile(Root + "/files/node_modules", 808);
    MakeFile(Root + "/lib/deep/x/z", 999);
  }

  std::string Totals(const std::string& options) {
    int status = -1;
    const std::string out =
        RunCommand(ShellQuote(kCli) + " scan " + ShellQuote(Root) + " --json --no-history " +
                       options + " | python3 -c " + ShellQuote(kJsonTotals),
                   &status);
    EXPECT_EQ(status, 0) << out;
    return out;
  }

  // du's apparent total below the root (the root folder's own size taken away).
  unsigned long long Du(const std::string& options) {
    const std::string out =
        RunCommand("cd " + ShellQuote(Root) + " && du -s -b -l " + options + " . | cut -f1");
    struct stat st {};
    ::lstat(Root.c_str(), &st);
    return std::stoull(out) - static_cast<unsigned long long>(st.st_size);
  }

  // find's count of entries of a type below the root, with `prune` in front.
  std::string FindCount(const std::string& prune, const char* type) {
    const std::string out = RunCommand("find " + ShellQuote(Root) + " -mindepth 1 " + prune +
                                       " -o -type " + type + " -print | wc -l");
    return std::to_string(std::stoull(out));
  }

  std::string Pruned(const std::string& prune) {
    std::string out = RunCommand("find " + ShellQuote(Root) + " -mindepth 1 " + prune +
                                 " -print | LC_ALL=C sort | paste -sd ' '");
    if (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
  }

  TTempDir Tmp;
  std::string Root;
};

// node_modules at three depths, nested ones inside an excluded one, and one below a name with
// a blank and Unicode: only the outermost are listed, and nothing below them counts.
TEST_F(CliExclude, NameRuleMatchesDuAndFindPrune) {
  const std::string prune = "-type d -name node_modules -prune";
  // du also drops the file called node_modules (808 bytes); the rules judge folders only, so the
  // scan keeps it and is that much larger.
  const std::string expected = std::to_string(Du("--exclude=node_modules") + 808) + " " +
                               FindCount(prune, "f") + " " + FindCount(prune, "d") + " " +
                               Pruned(prune);
  for (const char* threads : {"--threads 1", "--threads 8"}) {
    EXPECT_EQ(Totals(std::string("--exclude node_modules ") + threads), expected + "\n") << threads;
  }
}

// A path glob is read as du reads one: against every tail of the path, so lib/deep leaves out
// that folder wherever the scan starts.
TEST_F(CliExclude, PathRuleMatchesDuSuffixMatching) {
  const std::string prune = "-path '*/lib/deep' -prune";
  const std::string expected = std::to_string(Du("--exclude=lib/deep")) + " " +
                               FindCount(prune, "f") + " " + FindCount(prune, "d") + " " +
                               Pruned(prune);
  EXPECT_EQ(Totals("--exclude lib/deep"), expected + "\n");
  // Anchored at the root, the same folder.
  EXPECT_EQ(Totals("--exclude " + ShellQuote(Root + "/lib/*")), expected + "\n");
}

// Only the tag with the exact signature marks a cache: tar's --exclude-caches-all reads the
// convention the same way and is the truth for sizes and counts.
TEST_F(CliExclude, CacheTagsMatchTarAndKeepBadSignatures) {
  const std::string listing =
      "tar -C " + ShellQuote(Root) + " --exclude-caches-all -cf - . | tar -tvf - ";
  const std::string size = RunCommand(listing + "| awk '$1 ~ /^-/ {s += $3} END {print s}'");
  const std::string files = RunCommand(listing + "| grep -c '^-'");
  // tar lists the root "./" as a folder of its own.
  const std::string folders = RunCommand(listing + "| grep -c '^d'");
  const std::string expected =
      std::to_string(std::stoull(size) + 4096 * (std::stoull(folders) - 1)) + " " +
      std::to_string(std::stoull(files)) + " " + std::to_string(std::stoull(folders) - 1) + " " +
      Root + "/cache\n";
  // The tag is read from the folder's listing, which the walk then lists on from, also when a
  // worker of the parallel walk takes the folder over.
  for (const char* threads : {" --threads 1", " --threads 8"}) {
    EXPECT_EQ(Totals(std::string("--exclude-caches") + threads), expected) << threads;
  }
}

// Rules from a file as du's --exclude-from reads them (plus comments and CRLF), and the
// window's stored rules with --rules.
TEST_F(CliExclude, RulesFromFileAndFromTheWindowsStore) {
  const std::string list = Tmp / "excludes.txt";
  WriteText(list, "# folders we never want\r\n\r\nnode_modules\r\nlib/deep\n");
  const std::string fromFile = Totals("--exclude-from " + ShellQuote(list));
  EXPECT_EQ(fromFile, Totals("--exclude node_modules --exclude lib/deep"));

  const std::string data = Tmp / "data";
  ASSERT_EQ(::mkdir(data.c_str(), 0755), 0);
  const std::string home = "XDG_DATA_HOME=" + ShellQuote(data) + " ";
  RunCommand(home + ShellQuote(kCli) + " groups");  // makes the data folder
  const std::string folder = RunCommand("ls -d " + ShellQuote(data) + "/*/ | head -1");
  WriteText(folder.substr(0, folder.size() - 1) + "exclusions.ini",
            "[Rule]\nKind=name\nPattern=NODE_MODULES\nCase=ignored\nEnabled=1\n"
            "[Rule]\nKind=path\nPattern=lib/deep\nCase=system\nEnabled=1\n"
            "[Rule]\nKind=marker\nPattern=CACHEDIR.TAG\nCase=system\nEnabled=0\n");
  int status = -1;
  const std::string stored =
      RunCommand(home + ShellQuote(kCli) + " scan " + ShellQuote(Root) +
                     " --json --no-history --rules | python3 -c " + ShellQuote(kJsonTotals),
                 &status);
  EXPECT_EQ(status, 0);
  // Case ignored, so Node_Modules goes as well: 313 bytes and one file less.
  EXPECT_NE(stored.find(Root + "/deep/a/b/Node_Modules"), std::string::npos) << stored;
  EXPECT_EQ(std::stoull(fromFile) - std::stoull(stored), 313U + 4096U) << stored;

  WriteText(folder.substr(0, folder.size() - 1) + "exclusions.ini", "[Rule]\nKind=colour\n");
  const std::string bad =
      RunCommand(home + ShellQuote(kCli) + " scan " + ShellQuote(Root) + " --rules 2>&1", &status);
  EXPECT_NE(status, 0);
  EXPECT_NE(bad.find("line 2"), std::string::npos) << bad;
}

// An excluded folder is never opened: locked to everyone, it is still no read error, even when
// the workers of the parallel walk read ahead.
TEST_F(CliExclude, ExcludedFolderIsNeverListed) {
  ASSERT_EQ(::chmod((Root + "/deep/a/b/node_modules").c_str(), 0), 0);
  for (const char* threads : {"1", "8"}) {
    const std::string with =
        RunCommand(AsUser(ShellQuote(kCli) + " scan " + ShellQuote(Root) + " --quiet --threads " +
                          threads + " --exclude node_modules"));
    EXPECT_NE(with.find("unreadable=0"), std::string::npos) << with;
    const std::string without = RunCommand(
        AsUser(ShellQuote(kCli) + " scan " + ShellQuote(Root) + " --quiet --threads " + threads));
    EXPECT_NE(without.find("unreadable=1"), std::string::npos) << without;
  }
  ASSERT_EQ(::chmod((Root + "/deep/a/b/node_modules").c_str(), 0755), 0);
}

}  // namespace
}  // namespace Vellumetric
