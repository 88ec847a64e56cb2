// `drives` and `about` as a user runs them, checked against df and the system's own files.
#include <gtest/gtest.h>

#include <string>

#include "CliRunner.h"
#include "TTempDir.h"

namespace Vellumetric {
namespace {

using Testing::kCli;
using Testing::RunCommand;
using Testing::ShellQuote;

TEST(CliInfo, DrivesJsonListsTheRootFileSystemLikeDf) {
  const std::string py =
      "import json,sys,subprocess\n"
      "d=json.load(sys.stdin)['drives']\n"
      "root=[x for x in d if x['root']=='/']\n"
      "if not root: print('no root drive'); sys.exit()\n"
      "r=root[0]\n"
      "size,avail=map(int,subprocess.check_output(['df','-B1','--output=size,avail','/'],"
      "text=True).split()[2:4])\n"
      "print(r['total_bytes']>>30==size>>30, abs((r['free_bytes']>>30)-(avail>>30))<=1,"
      " r['tile']=='%d GB free of %d GB'%(r['free_bytes']>>30,r['total_bytes']>>30),"
      " len(r['page']), r['page'][1]['value'], r['name'].endswith(' (/)'))\n";
  int status = 0;
  const std::string out =
      RunCommand(ShellQuote(kCli) + " drives --json | python3 -c " + ShellQuote(py), &status);
  EXPECT_EQ(out, "True True True 32 / True\n");
}

TEST(CliInfo, AboutPrintsVersionSystemAndMemory) {
  const std::string out = RunCommand(ShellQuote(kCli) + " about");
  const std::string pretty =
      RunCommand(". /etc/os-release 2>/dev/null && printf '%s' \"$PRETTY_NAME\"");
  const std::string memMB = RunCommand("awk '/MemTotal/ {printf \"%d\", $2 / 1024}' /proc/meminfo");
  EXPECT_EQ(out.substr(0, out.find('\n')), "Quendrix Vellumetric");
  EXPECT_NE(out.find("\nVersion 1.2.0\n"), std::string::npos);
  if (!pretty.empty()) {
    EXPECT_NE(out.find("\n" + pretty + " "), std::string::npos) << out;
  }
  // /proc/meminfo leaves out memory the kernel keeps for itself: close, not equal.
  // The running kernel's name, as uname gives it ("Linux").
  const std::string label =
      "Physical memory available to " + RunCommand("uname -s | tr -d '\\n'") + ": ";
  const auto at = out.find(label);
  ASSERT_NE(at, std::string::npos);
  const long shown = std::stol(out.substr(at + label.size()));
  EXPECT_NEAR(static_cast<double>(shown), std::stod(memMB), std::stod(memMB) * 0.1);
  int status = -1;
  EXPECT_EQ(RunCommand(ShellQuote(kCli) + " --version", &status),
            out.substr(0, out.find("\nVersion 1.2.0\n") + 15));
  EXPECT_EQ(status, 0);
}

TEST(CliInfo, BadArgumentsAreUsageErrors) {
  int status = 0;
  RunCommand(ShellQuote(kCli) + " drives --bogus 2>/dev/null", &status);
  EXPECT_EQ(status, 2);
  RunCommand(ShellQuote(kCli) + " about extra 2>/dev/null", &status);
  EXPECT_EQ(status, 2);
}

}  // namespace
}  // namespace Vellumetric
