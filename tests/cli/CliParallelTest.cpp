// The parallel walk against the one-thread walk, through the whole JSON report, on random trees.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "CliRunner.h"
#include "TRandomTree.h"
#include "TTempDir.h"

namespace Vellumetric {
namespace {

using namespace Testing;

std::string ScanJson(const std::string& root, int threads) {
  return RunCommand(AsUser(ShellQuote(kCli) + " scan --json --threads " + std::to_string(threads) +
                           " " + ShellQuote(root)) +
                    " 2>/dev/null");
}

// "SIZE ENTRIES" below the root as du and find see it, as the same user as the scan.
std::string DuAndFind(const std::string& root) {
  const std::string q = ShellQuote(root);
  return RunCommand("echo $(( $(" + AsUser("du -s -b --apparent-size -l -x " + q) +
                    " 2>/dev/null | cut -f1) - $(stat -c %s " + q + ") )) $(" +
                    AsUser("find " + q + " -xdev -mindepth 1 -printf .") + " 2>/dev/null | wc -c)");
}

TEST(CliParallel, AnyThreadCountGivesTheOneThreadReportByteForByte) {
  for (std::uint32_t seed = 1; seed <= 12; ++seed) {
    TTempDir tmp;
    ASSERT_EQ(::chmod(tmp.Path().c_str(), 0755), 0);
    const std::string root = tmp / "t";
    ASSERT_EQ(::mkdir(root.c_str(), 0755), 0);
    MakeRandomTree(root, seed, true);
    const std::string one = ScanJson(root, 1);
    ASSERT_NE(one.find("\"tree\":{"), std::string::npos) << "seed " << seed;
    // Reports run to megabytes: compare them whole but do not print them.
    for (int threads : {2, 3, 8, 8}) {
      EXPECT_TRUE(ScanJson(root, threads) == one) << "seed " << seed << ", threads " << threads;
    }
    const std::string totals =
        RunCommand(AsUser(ShellQuote(kCli) + " scan --json --depth 0 " + ShellQuote(root)) +
                   " 2>/dev/null | python3 -c 'import json,sys; t=json.load(sys.stdin)[\"tree\"];"
                   " print(t[\"size\"], t[\"files\"] + t[\"folders\"])'");
    EXPECT_EQ(totals, DuAndFind(root)) << "seed " << seed;
  }
}

}  // namespace
}  // namespace Vellumetric
