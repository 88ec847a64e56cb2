// Saving, reopening and listing summaries through the command line.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "CliRunner.h"
#include "TTempDir.h"
#include "TTmpfsMount.h"
#include "cli/TCliSession.h"
#include "filetypes/DefaultFileTypes.h"
#include "persistence/SummaryFile.h"

namespace Vellumetric {
namespace {

using namespace Testing;

std::string Backup() {
  return std::string(std::getenv("XDG_DATA_HOME")) + "/Quendrix Vellumetric/Backup";
}

void MakeTree(const std::string& root) {
  ::mkdir((root + "/pics").c_str(), 0755);
  ::mkdir((root + "/" + std::string(200, 'l')).c_str(), 0755);
  MakeFile(root + "/pics/\xe5\x86\x99\xe7\x9c\x9f.jpg", 5000);
  MakeFile(root + "/pics/Ann's.PNG", 7000);
  MakeFile(root + "/" + std::string(200, 'l') + "/" + std::string(120, 'n') + ".txt", 300);
  MakeFile(root + "/notes.txt", 10);
  MakeFile(root + "/a.out", 1);
}

TEST(CliSummary, ScannedSummaryReopensIdentical) {
  TTempDir tmp;
  MakeTree(tmp.Path());
  TCliSession scan(DefaultGroupList(), DefaultExtensionList(), false);
  ASSERT_TRUE(scan.Scan(tmp.Path(), false));
  scan.Summarise(tmp.Path());
  ASSERT_TRUE(WriteSummaryFile(tmp / "a.sbf", tmp.Path(), scan.General(), scan.Detail()));
  TCliSession reopened({}, {}, false);
  reopened.Load(tmp / "a.sbf");
  EXPECT_EQ(reopened.Title(), tmp.Path());
  ASSERT_TRUE(
      WriteSummaryFile(tmp / "b.sbf", reopened.Title(), reopened.General(), reopened.Detail()));
  const std::string a = RunCommand("cat " + ShellQuote(tmp / "a.sbf"));
  EXPECT_EQ(RunCommand("cat " + ShellQuote(tmp / "b.sbf")), a);
  EXPECT_EQ(a.substr(0, 3), "9\r\n");  // 5 biggest files + 4 typed ones
  EXPECT_NE(a.find(std::string(120, 'n') + ".txt\r\n"), std::string::npos);
}

TEST(CliSummary, SaveThenOpenByName) {
  TTempDir tmp;
  MakeTree(tmp.Path());
  int status = 0;
  Cli("scan " + ShellQuote(tmp.Path()) + " --save byname", &status);
  ASSERT_EQ(status, 0);
  const std::string py =
      "import json,sys\n"
      "d=json.load(sys.stdin)\n"
      "print(d['root']==sys.argv[1], [s['name'] for s in d['general']],"
      " d['detail'][0]['name'], d['detail'][0]['size'], len(d['general'][0]['entries']))\n";
  EXPECT_EQ(RunCommand(ShellQuote(kCli) + " open byname --json | python3 -c " + ShellQuote(py) +
                       " " + ShellQuote(tmp.Path())),
            "True ['20 Biggest Files'] Raster Image Files (2) 12000 5\n");
}

TEST(CliSummary, SaveRefusesToOverwriteAndBadNames) {
  TTempDir tmp;
  MakeTree(tmp.Path());
  int status = 0;
  Cli("scan --quiet " + ShellQuote(tmp.Path()) + " --save x", &status);
  EXPECT_EQ(status, 2);  // nothing to save without a summary
  EXPECT_NE(Cli("scan " + ShellQuote(tmp.Path()) + " --save ''", &status).find("usage:"),
            std::string::npos);
  EXPECT_EQ(status, 2);
  Cli("scan " + ShellQuote(tmp.Path()) + " --save twice", &status);
  ASSERT_EQ(status, 0);
  std::string out = Cli("scan " + ShellQuote(tmp.Path()) + " --save twice", &status);
  EXPECT_EQ(status, 1);
  EXPECT_NE(out.find("use --force"), std::string::npos);
  Cli("scan " + ShellQuote(tmp.Path()) + " --save twice.SBF --force", &status);
  EXPECT_EQ(status, 0);
  out = Cli("scan " + ShellQuote(tmp.Path()) + " --save ../escape", &status);
  EXPECT_EQ(status, 1);
  EXPECT_NE(out.find("A file name can't contain any of the following characters"),
            std::string::npos);
  struct stat st {};
  EXPECT_NE(::stat((Backup() + "/../escape.sbf").c_str(), &st), 0);
  // Names Windows keeps for devices or would cut short: refused here too, as the file may travel.
  out = Cli("scan " + ShellQuote(tmp.Path()) + " --save lpt1.txt", &status);
  EXPECT_EQ(status, 1);
  EXPECT_NE(out.find("cannot save: LPT1 is a name Windows keeps for a device"), std::string::npos)
      << out;
  out = Cli("scan " + ShellQuote(tmp.Path()) + " --save 'June.'", &status);
  EXPECT_EQ(status, 1);
  EXPECT_NE(out.find("can't end in a dot or a blank"), std::string::npos) << out;
  EXPECT_NE(::stat((Backup() + "/lpt1.txt.sbf").c_str(), &st), 0);
  EXPECT_NE(::stat((Backup() + "/June..sbf").c_str(), &st), 0);
}

// --save into a data folder on a full disk: the exit status and reason tell, the summary stored
// under that name stays as it was, and no temporary file is left.
TEST(CliSummary, SaveOnAFullDiskKeepsTheOldSummary) {
  TTempDir tree, home;
  MakeTree(tree.Path());
  TTmpfsMount disk(home.Path(), 256);
  if (!disk.Mounted()) GTEST_SKIP() << disk.Reason();
  const std::string env = "XDG_DATA_HOME=" + ShellQuote(home.Path()) + " ";
  const std::string scan = ShellQuote(kCli) + " scan " + ShellQuote(tree.Path());
  int status = 0;
  RunCommand(env + scan + " --save full 2>&1", &status);
  ASSERT_EQ(status, 0);
  const std::string backup = home / "Quendrix Vellumetric/Backup";
  const std::string before = RunCommand("cat " + ShellQuote(backup + "/full.sbf"));
  FillUp(home / "filler");
  const std::string out = RunCommand(env + scan + " --save full --force 2>&1", &status);
  EXPECT_EQ(status, 1);
  EXPECT_NE(out.find("full.sbf: No space left on device"), std::string::npos) << out;
  EXPECT_EQ(RunCommand("cat " + ShellQuote(backup + "/full.sbf")), before);
  EXPECT_EQ(RunCommand("ls -A " + ShellQuote(backup)), "full.sbf\n");
}

TEST(CliSummary, JsonGroupsAreSortedBySize) {
  TTempDir tmp;
  MakeTree(tmp.Path());
  const std::string py =
      "import json,sys\n"
      "g=json.load(sys.stdin)['groups']\n"
      "print([(x['name'],x['count'],x['size']) for x in g[:2]], len(g),"
      " all(g[i]['size']>=g[i+1]['size'] for i in range(len(g)-1)))\n";
  EXPECT_EQ(RunCommand(ShellQuote(kCli) + " scan --json " + ShellQuote(tmp.Path()) +
                       " | python3 -c " + ShellQuote(py)),
            "[('Raster Image Files', 2, 12000), ('Document Files', 2, 310)] 11 True\n");
}

TEST(CliSummary, OpenRefusesFilesThatAreNotSummaries) {
  TTempDir tmp;
  MakeTree(tmp.Path());
  int status = 0;
  Cli("scan " + ShellQuote(tmp.Path()) + " --save good", &status);
  ASSERT_EQ(status, 0);
  const std::string good = RunCommand("cat " + ShellQuote(Backup() + "/good.sbf"));
  auto write = [&](const std::string& name, const std::string& bytes) {
    RunCommand("printf '%s' " + ShellQuote(bytes) + " > " + ShellQuote(tmp / name));
    return tmp / name;
  };
  const std::string cut = good.substr(0, good.rfind("\r\n", good.size() - 3));
  std::string badSize = good;
  badSize.replace(badSize.find("5000\r\n"), 4, "5k00");
  for (const std::string& bad :
       {write("passwd", "root:x:0:0:root:/root:/bin/bash\n"), write("empty", ""),
        write("cut.sbf", cut), write("badsize.sbf", badSize)}) {
    const std::string out = Cli("open " + ShellQuote(bad), &status);
    EXPECT_EQ(status, 1) << bad;
    EXPECT_EQ(out, "cannot open " + bad + ": not a summary file\n");
  }
  Cli("open " + ShellQuote(write("copy.sbf", good)), &status);
  EXPECT_EQ(status, 0);
}

TEST(CliSummary, OpenMissingFileAndGroupsListing) {
  int status = 0;
  const std::string out = Cli("open no-such-summary", &status);
  EXPECT_EQ(status, 1);
  EXPECT_NE(out.find("no-such-summary.sbf"), std::string::npos);
  const std::string groups = Cli("groups", &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(groups.substr(0, groups.find('\n')), "3D Image Files (*.3dm, *.blend, *.max)");
  EXPECT_NE(groups.find("\nFont Files (*.fnt, *.fon, *.otf, *.ttf)\n"), std::string::npos);
}

}  // namespace
}  // namespace Vellumetric
