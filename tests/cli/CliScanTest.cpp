// The command line as a user runs it: real trees, real exit codes, output parsed by python3.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "CliRunner.h"
#include "TTempDir.h"
#include "TTreeBuilder.h"

namespace Vellumetric {
namespace {

using namespace Testing;

// Runs a python3 snippet over the CLI's JSON output of `root`; the snippet prints its answer.
std::string QueryJson(const std::string& root, const std::string& extra, const std::string& py) {
  return RunCommand(ShellQuote(kCli) + " scan --json " + extra + " " + ShellQuote(root) +
                    " | python3 -c " +
                    ShellQuote("import json,sys\nd=json.load(sys.stdin)\n" + py));
}

void MakeSample(const std::string& root) {
  ::mkdir((root + "/big").c_str(), 0755);
  ::mkdir((root + "/big/inner").c_str(), 0755);
  ::mkdir((root + "/small").c_str(), 0755);
  MakeFile(root + "/big/inner/movie.mkv", 3000000);
  MakeFile(root + "/big/b\xff\xfe.bin", 70000);
  MakeFile(root + "/small/quote\"d.txt", 10);
}

TEST(CliScan, JsonIsValidWithBadNamesAndListsLargestFirst) {
  TTempDir tmp;
  MakeSample(tmp.Path());
  EXPECT_EQ(QueryJson(tmp.Path(), "",
                      "t=d['tree']\n"
                      "print(d['mode'], [c['name'] for c in t['children']], t['files'],"
                      " t['folders'], type(t['size']).__name__)\n"),
            "folder ['big', 'small'] 3 3 int\n");
  EXPECT_EQ(QueryJson(tmp.Path(), "",
                      "print([(f['name'], f['size']) for f in d['biggest']])\n"
                      "print(all(f['location'].startswith(d['root']) for f in d['biggest']))\n"),
            "[('movie.mkv', 3000000), ('b\ufffd\ufffd.bin', 70000), ('quote\"d.txt', 10)]\n"
            "True\n");
}

TEST(CliScan, DepthLimitsTheTreeAndDriveModeIsReported) {
  TTempDir tmp;
  MakeSample(tmp.Path());
  EXPECT_EQ(QueryJson(tmp.Path(), "--depth 1 --drive",
                      "print(d['mode'], d['tree']['name'] == d['root'],"
                      " [len(c['children']) for c in d['tree']['children']])\n"),
            "drive True [0, 0]\n");
  const std::string text = Cli("scan --depth 1 " + ShellQuote(tmp.Path()));
  EXPECT_NE(text.find("20 Biggest Files"), std::string::npos);
  const std::string tree = text.substr(0, text.find("20 Biggest Files"));
  EXPECT_NE(tree.find(" big\n"), std::string::npos);
  EXPECT_EQ(tree.find("inner"), std::string::npos);
}

TEST(CliScan, QuietLineAgreesWithDuAndFind) {
  TTempDir tmp;
  MakeSample(tmp.Path());
  const TDiskTruth truth = MeasureWithDuAndFind(tmp.Path());
  const std::string line = Cli("scan --quiet " + ShellQuote(tmp.Path()));
  EXPECT_EQ(line, "size=" + std::to_string(truth.Size) +
                      " files=3 folders=3 unreadable=0 disk=" + std::to_string(truth.Disk) + "\n");
  EXPECT_EQ(truth.Entries, 6u);
}

TEST(CliScan, BadPathsAndBadUsageGiveClearErrors) {
  TTempDir tmp;
  MakeFile(tmp / "plain", 1);
  int status = 0;
  EXPECT_EQ(Cli("scan " + ShellQuote(tmp / "missing"), &status),
            "cannot scan " + tmp / "missing" + ": No such file or directory\n");
  EXPECT_EQ(status, 1);
  EXPECT_EQ(Cli("scan " + ShellQuote(tmp / "plain"), &status),
            "cannot scan " + tmp / "plain" + ": Not a directory\n");
  EXPECT_EQ(status, 1);
  for (const char* bad : {"", "scan", "scan a b", "scan --depth x .", "scan --bogus .",
                          "frobnicate", "scan --json --quiet ."}) {
    const std::string out = Cli(bad, &status);
    EXPECT_EQ(status, 2) << bad;
    EXPECT_NE(out.find("usage:"), std::string::npos) << bad;
  }
}

}  // namespace
}  // namespace Vellumetric
