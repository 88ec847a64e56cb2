// What the command line says about folders and entries it could not read, checked against the
// errors find and du report for the same tree, as an ordinary user.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "CliRunner.h"
#include "TTempDir.h"

namespace Vellumetric {
namespace {

using namespace Testing;

// Every path find could not reach, one "path: reason" per line, sorted. -printf makes find
// measure each entry, as the scan does.
std::string FindErrors(const std::string& root) {
  const std::string script =
      "import re,sys\n"
      "lines=[re.sub(r\"^find: '(.*)': (.*)$\", r'\\1: \\2', l) for l in "
      "sys.stdin.read().splitlines()]\n"
      "print('\\n'.join(sorted(lines)))\n";
  return RunCommand(AsUser("find " + ShellQuote(root) + " -printf '%s %p\\n'") +
                    " 2>&1 >/dev/null | python3 -c " + ShellQuote(script));
}

// du's apparent total below the root (the root folder's own size taken away), as the user.
unsigned long long DuTotal(const std::string& root) {
  const std::string out = RunCommand(AsUser("du -s -b --apparent-size -l -x " + ShellQuote(root)) +
                                     " 2>/dev/null | cut -f1");
  struct stat st {};
  ::lstat(root.c_str(), &st);
  return std::stoull(out) - static_cast<unsigned long long>(st.st_size);
}

class CliUnreadable : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(::chmod(Tmp.Path().c_str(), 0755), 0);
    Root = Tmp / "tree";
    for (const char* d : {"", "/locked", "/open", "/open/deep", "/open/deep/shut", "/listonly",
                          "/listonly/sub", "/fine"}) {
      ASSERT_EQ(::mkdir((Root + d).c_str(), 0755), 0) << d;
    }
    MakeFile(Root + "/locked/secret", 999);
    MakeFile(Root + "/open/deep/shut/hidden", 77);
    MakeFile(Root + "/open/deep/seen.txt", 1234);
    MakeFile(Root + "/listonly/named", 55);
    MakeFile(Root + "/fine/a.jpg", 4000);
    ASSERT_EQ(::chmod((Root + "/locked").c_str(), 0), 0);
    ASSERT_EQ(::chmod((Root + "/open/deep/shut").c_str(), 0311), 0);  // searchable, not listable
    ASSERT_EQ(::chmod((Root + "/listonly").c_str(), 0644), 0);        // listable, not searchable
  }
  TTempDir Tmp;
  std::string Root;
};

TEST_F(CliUnreadable, ReportsWhatFindCannotReachAndKeepsDuTotals) {
  int status = -1;
  const std::string py =
      "import json,sys\n"
      "d=json.load(sys.stdin)\nu=d['unreadable']\n"
      "print(d['tree']['size'], u['count'], u['files'])\n"
      "print('\\n'.join(sorted(i['path']+': '+i['reason'] for i in "
      "u['folders']+u['unmeasured'])))\n";
  const std::string out = RunCommand(AsUser(ShellQuote(kCli) + " scan --json " + ShellQuote(Root)) +
                                     " 2>/dev/null | python3 -c " + ShellQuote(py));
  const std::string errors = FindErrors(Root);
  // locked and shut cannot be listed, listonly/sub cannot be opened, listonly/named not measured.
  EXPECT_EQ(out, std::to_string(DuTotal(Root)) + " 3 1\n" + errors);
  EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 4) << errors;

  const std::string quiet = RunCommand(
      AsUser(ShellQuote(kCli) + " scan --quiet " + ShellQuote(Root)) + " 2>/dev/null", &status);
  EXPECT_EQ(status, 0);
  EXPECT_NE(quiet.find(" unreadable=3 unmeasured=1 disk="), std::string::npos) << quiet;

  // The text report is followed by the warning on stderr; the exit status stays 0.
  const std::string text = RunCommand(
      AsUser(ShellQuote(kCli) + " scan " + ShellQuote(Root)) + " 2>&1 >/dev/null", &status);
  EXPECT_EQ(status, 0);
  EXPECT_NE(text.find("3 folders could not be read, 1 file could not be measured\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("  " + Root + "/locked: Permission denied\n"), std::string::npos) << text;
}

TEST_F(CliUnreadable, AnUnreadableRootIsAnErrorNotAnEmptyReport) {
  for (const char* mode : {"", "--quiet ", "--json "}) {
    int status = -1;
    const std::string out = RunCommand(
        AsUser(ShellQuote(kCli) + " scan " + mode + ShellQuote(Root + "/locked")) + " 2>&1",
        &status);
    EXPECT_EQ(status, 1) << mode;
    EXPECT_EQ(out.substr(out.find("cannot scan")),
              "cannot scan " + Root + "/locked: Permission denied\n")
        << mode;
  }
}

}  // namespace
}  // namespace Vellumetric
