// `dupes` as users run it: the same groups as jdupes, rdfind and rmlint on one tree, folder
// groups checked against a walk of the tree that hashes every file, and the reports' totals.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <string>

#include "CliRunner.h"
#include "TTempDir.h"

namespace Vellumetric {
namespace {

using namespace Testing;

const std::string kScript = std::string(VLM_TEST_SCRIPTS) + "/dupes_peers.py";

// Runs the check script as an ordinary user (so that an unreadable file stays unreadable) in a
// folder that user may write, and returns each check's verdict line by its name.
std::map<std::string, std::string> RunChecks(const std::string& mode) {
  TTempDir tmp;
  EXPECT_EQ(::chmod(tmp.Path().c_str(), 0777), 0);
  const std::string script = tmp / "check.py";
  RunCommand("cp " + ShellQuote(kScript) + " " + ShellQuote(script));
  // The system's python: one installed for root alone may not run as another user.
  struct stat st {};
  const std::string python = ::stat("/usr/bin/python3", &st) == 0 ? "/usr/bin/python3" : "python3";
  const std::string out =
      RunCommand(AsUser(python + " " + ShellQuote(script) + " " + ShellQuote(kCli) + " " +
                        ShellQuote(tmp.Path()) + " " + mode) +
                 " 2>&1");
  std::map<std::string, std::string> verdicts;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    const auto blank = line.find(' ');
    if (blank != std::string::npos) verdicts[line.substr(0, blank)] = line.substr(blank + 1);
  }
  if (verdicts.size() < 4) ADD_FAILURE() << out;
  return verdicts;
}

bool Installed(const std::string& tool) {
  return !RunCommand("command -v " + tool).empty();
}

TEST(CliDupes, FindsTheGroupsJdupesRdfindAndRmlintFind) {
  for (const char* peer : {"jdupes", "rdfind", "rmlint"}) {
    if (!Installed(peer)) GTEST_SKIP() << peer << " is not installed (scripts/test installs it)";
  }
  const auto verdicts = RunChecks("");
  for (const char* check :
       {"jdupes", "rdfind", "rmlint", "no-byte-check", "wasted", "left_out", "atime"}) {
    ASSERT_TRUE(verdicts.contains(check)) << check;
    EXPECT_EQ(verdicts.at(check).rfind("same ", 0), 0u) << check << ": " << verdicts.at(check);
  }
  // Copies of nine sizes, the near copies' true copies, the large set, the names, the locked.
  EXPECT_GE(std::stoi(verdicts.at("jdupes").substr(5)), 14) << verdicts.at("jdupes");
}

TEST(CliDupes, GroupsWholeFoldersOutermostFirst) {
  const auto verdicts = RunChecks("folders");
  for (const char* check : {"equal", "copies", "complete", "outermost"}) {
    ASSERT_TRUE(verdicts.contains(check)) << check;
    EXPECT_EQ(verdicts.at(check).rfind("same ", 0), 0u) << check << ": " << verdicts.at(check);
  }
}

// The text's total line, the CSV's rows and --top all agree with the JSON document, and the
// wasted bytes with what stat says the copies take on disk.
TEST(CliDupes, ReportsAgreeAndBadArgumentsAreUsageErrors) {
  TTempDir tmp;
  std::uint64_t wasted = 0;
  for (int k = 0; k < 3; ++k) {
    for (int copy = 0; copy <= k + 1; ++copy) {
      const std::string folder = tmp / ("d" + std::to_string(copy));
      const std::string file = folder + "/f" + std::to_string(k);
      MakeFolders(folder);
      RunCommand("head -c " + std::to_string(5000 * (k + 1)) + " /dev/zero | tr '\\0' '" +
                 std::string(1, static_cast<char>('a' + k)) + "' > " + ShellQuote(file));
      struct stat st {};
      ASSERT_EQ(::stat(file.c_str(), &st), 0);
      if (copy > 0) wasted += static_cast<std::uint64_t>(st.st_blocks) * 512;
    }
  }
  const std::string q = ShellQuote(tmp.Path());
  // Groups of 2, 3 and 4 copies of 5000, 10000 and 15000 bytes: 1 + 2 + 3 copies.
  const std::string json = Cli("dupes " + q + " --json");
  EXPECT_NE(json.find(",\"group_count\":3,\"copies\":6,\"left_out\":0,\"online_only\":0,"
                      "\"wasted\":" +
                      std::to_string(wasted) + "}"),
            std::string::npos)
      << json;
  const std::string text = Cli("dupes " + q);
  EXPECT_NE(text.find("\n3 groups, 6 copies, "), std::string::npos) << text;
  const std::string top = Cli("dupes " + q + " --top 1");
  EXPECT_NE(top.find(" wasted: 4 files of 14.6 KB\n"), std::string::npos) << top;
  EXPECT_EQ(top.find("wasted: 3 files"), std::string::npos) << top;
  EXPECT_NE(top.find("; the 1 most wasteful shown\n"), std::string::npos) << top;
  const std::string csv = Cli("dupes " + q + " --csv --min 6K");
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 1 + 4 + 3) << csv;
  EXPECT_NE(csv.find("\r\n1,files,15000,14.6 KB,"), std::string::npos) << csv;
  int status = 0;
  for (const char* bad : {"dupes", "dupes . --min 1X", "dupes . --top 0", "dupes . --json --csv",
                          "dupes . --min", "dupes . --byte-check", "dupes a b"}) {
    const std::string out = Cli(bad, &status);
    EXPECT_EQ(status, 2) << bad;
    EXPECT_NE(out.find("usage:"), std::string::npos) << bad << ": " << out;
  }
}

}  // namespace
}  // namespace Vellumetric
