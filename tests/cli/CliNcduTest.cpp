// ncdu exports between us and the peers that write and read them: ncdu 1.18's and gdu's exports
// of a hostile tree open with every folder as our own scan of the tree counts it (where a peer
// counts differently, the test says why and checks that rule), and the peers read our exports
// back to the totals they find on the disk themselves.
#include <gtest/gtest.h>
#include <rapidjson/document.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <map>
#include <string>

#include "CliRunner.h"
#include "TTempDir.h"

namespace Vellumetric {
namespace {

using namespace Testing;

struct TFolder {
  unsigned long long Size = 0, Disk = 0, Files = 0, Folders = 0;
  bool operator==(const TFolder&) const = default;
};
using TFolders = std::map<std::string, TFolder>;

void Collect(const rapidjson::Value& node, TFolders& out) {
  out[node["path"].GetString()] = {node["size"].GetUint64(), node["disk_bytes"].GetUint64(),
                                   node["files"].GetUint64(), node["folders"].GetUint64()};
  for (const auto& child : node["children"].GetArray()) Collect(child, out);
}

// Every folder of a `scan --json` or `open --json` report.
TFolders Folders(const std::string& json) {
  rapidjson::Document doc;
  doc.Parse(json.c_str(), json.size());
  if (doc.HasParseError() || !doc.HasMember("tree")) {
    ADD_FAILURE() << "not a report: " << json.substr(0, 300);
    return {};
  }
  TFolders out;
  Collect(doc["tree"], out);
  return out;
}

bool Have(const char* tool) {
  return RunCommand(std::string("command -v ") + tool + " >/dev/null && echo yes") == "yes\n";
}

unsigned long long OwnSize(const std::string& path) {
  struct stat st {};
  ::lstat(path.c_str(), &st);
  return static_cast<unsigned long long>(st.st_size);
}

class CliNcdu : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Have("ncdu") || !Have("gdu")) GTEST_SKIP() << "ncdu and gdu are not installed";
    ASSERT_EQ(::chmod(Tmp.Path().c_str(), 0755), 0);
    Root = Tmp / "tree";
    for (const char* d : {"", "/sub", "/sub/deep", "/locked", "/ex", "/ex/in",
                          "/\xc3\xbcnic\xc3\xb6"
                          "de"}) {
      ASSERT_EQ(::mkdir((Root + d).c_str(), 0755), 0) << d;
    }
    MakeFile(Root + "/sub/big.bin", 300000);  // sparse: its size alone
    RunCommand("head -c 70000 /dev/urandom > " + ShellQuote(Root + "/sub/deep/data.iso"));
    ASSERT_EQ(::link((Root + "/sub/deep/data.iso").c_str(), (Root + "/sub/again.iso").c_str()), 0);
    ASSERT_EQ(::link((Root + "/sub/deep/data.iso").c_str(), (Root + "/third.iso").c_str()), 0);
    RunCommand("echo text > " + ShellQuote(Root + "/\xc3\xbcnic\xc3\xb6"
                                                  "de/\xe2\x82\xac.txt"));
    RunCommand("echo raw > " + ShellQuote(Root + "/bad\xff\xfe name"));
    RunCommand("head -c 5000 /dev/urandom > " + ShellQuote(Root + "/ex/in/skipped.dat"));
    RunCommand("echo secret > " + ShellQuote(Root + "/locked/s"));
    ASSERT_EQ(::symlink("third.iso", (Root + "/link").c_str()), 0);
    ASSERT_EQ(::chmod((Root + "/locked").c_str(), 0), 0);
  }

  // A command as the ordinary user, its output kept in `file` (written by us, not the user).
  std::string Keep(const std::string& command, const std::string& file) {
    RunCommand(AsUser(command) + " > " + ShellQuote(file) + " 2>/dev/null");
    return file;
  }
  std::string Report(const std::string& args) {
    return RunCommand(AsUser(ShellQuote(kCli) + " " + args) + " 2>/dev/null");
  }

  TTempDir Tmp;
  std::string Root;
};

TEST_F(CliNcdu, PeersExportsOpenAsOurScanCountsTheTree) {
  const TFolders scan = Folders(Report("scan --json --no-history " + ShellQuote(Root)));
  ASSERT_EQ(scan.size(), 7U);
  const std::string ex = Root + "/ex";

  // ncdu: every folder as we count it, but ex, which ncdu was told to leave out: it stays a
  // folder with nothing in it, and the root lacks exactly what the scan found in it.
  const std::string ncdu =
      Keep("ncdu --ignore-config -0 -o - --exclude ex " + ShellQuote(Root), Tmp / "n.json");
  TFolders opened = Folders(Report("open --json " + ShellQuote(ncdu)));
  ASSERT_EQ(opened.size(), 6U) << "ex/in is not in ncdu's export";
  for (const auto& [path, folder] : scan) {
    if (path == Root || path.rfind(ex, 0) == 0) continue;
    EXPECT_EQ(opened[path], folder) << path;
  }
  EXPECT_EQ(opened[ex], TFolder{});
  const TFolder& r = opened[Root];
  EXPECT_EQ(r.Size, scan.at(Root).Size - scan.at(ex).Size - OwnSize(ex));
  EXPECT_EQ(r.Disk, scan.at(Root).Disk - scan.at(ex).Disk);
  EXPECT_EQ(r.Files, scan.at(Root).Files - scan.at(ex).Files);
  EXPECT_EQ(r.Folders, scan.at(Root).Folders - scan.at(ex).Folders);

  // gdu writes no sizes for directories, so a folder's Size lacks the entries of the folders
  // below it and its On disk their blocks; it marks only the later names of a file with several
  // (the first it meets carries no "ino"), so On disk is not compared. Files and folders agree.
  const std::string gdu = Keep("gdu -n -p -o - " + ShellQuote(Root), Tmp / "g.json");
  opened = Folders(Report("open --json " + ShellQuote(gdu)));
  ASSERT_EQ(opened.size(), scan.size());
  for (const auto& [path, folder] : scan) {
    unsigned long long folderEntries = 0;
    for (const auto& [below, unused] : scan) {
      if (below.size() > path.size() && below.rfind(path + "/", 0) == 0)
        folderEntries += OwnSize(below);
    }
    EXPECT_EQ(opened[path].Size, folder.Size - folderEntries) << path;
    EXPECT_EQ(opened[path].Files, folder.Files) << path;
    EXPECT_EQ(opened[path].Folders, folder.Folders) << path;
  }

  // The unreadable folder is one in both, and the one-line report says so.
  const std::string quiet = Report("open --quiet " + ShellQuote(ncdu));
  EXPECT_NE(quiet.find(" unreadable=1 "), std::string::npos) << quiet;
}

TEST_F(CliNcdu, PeersReadOurExportsToTheirOwnTotals) {
  const TFolders scan = Folders(Report("scan --json --no-history " + ShellQuote(Root)));
  for (const char* name : {"ours.json", "ours.json.gz", "ours.json.zst"}) {
    const std::string file = Tmp / name;
    // Written by the user's scan to standard output, compressed here as the name asks.
    const std::string plain =
        Keep(ShellQuote(kCli) + " scan --export-ncdu - " + ShellQuote(Root), Tmp / "plain.json");
    const std::string pack = std::string(name).ends_with(".gz")    ? "gzip -c "
                             : std::string(name).ends_with(".zst") ? "zstd -q -c "
                                                                   : "cat ";
    RunCommand(pack + ShellQuote(plain) + " > " + ShellQuote(file));
    EXPECT_EQ(Folders(Report("open --json " + ShellQuote(file))), scan) << name;
  }
  // ncdu reads ours and writes it out again: every entry and size came through.
  const std::string ours = Tmp / "ours.json";
  const std::string again =
      Keep("ncdu --ignore-config -0 -f " + ShellQuote(ours) + " -o -", Tmp / "again.json");
  EXPECT_EQ(Folders(Report("open --json " + ShellQuote(again))), scan);
  // gdu finds the same totals in our file as on the disk.
  for (const char* mode : {"", "-a "}) {
    const std::string disk =
        Report(std::string("gdu -n -s -p --no-prefix ") + mode + ShellQuote(Root));
    const std::string file =
        Report(std::string("gdu -n -s -p --no-prefix ") + mode + "-f " + ShellQuote(ours));
    EXPECT_EQ(file.substr(0, file.find_first_not_of(" 0123456789")),
              disk.substr(0, disk.find_first_not_of(" 0123456789")))
        << mode << disk << file;
  }
  // Our own written file, straight from --export-ncdu FILE.zst, opens too.
  const std::string direct = Tmp / "direct.json.zst";
  RunCommand(ShellQuote(kCli) + " scan --no-history --quiet --export-ncdu " + ShellQuote(direct) +
             " " + ShellQuote(Root) + " >/dev/null 2>&1");
  EXPECT_EQ(RunCommand("zstd -dc " + ShellQuote(direct) + " | head -c 12"), "[1,2,{\"progn");
}

TEST_F(CliNcdu, HistoryImportFollowsAServerByName) {
  const std::string ncdu = Keep("ncdu --ignore-config -0 -o - " + ShellQuote(Root), Tmp / "n.json");
  int status = -1;
  const std::string added = Cli("history import " + ShellQuote(ncdu) + " --as nas01:/srv", &status);
  EXPECT_EQ(status, 0) << added;
  RunCommand("echo more > " + ShellQuote(Root + "/sub/new.txt"));
  Keep("ncdu --ignore-config -0 -o - " + ShellQuote(Root), Tmp / "n2.json");
  EXPECT_EQ(Cli("history import " + ShellQuote(Tmp / "n2.json") + " --as nas01:/srv", &status)
                .find("added nas01:/srv"),
            0U);
  const std::string listed = Cli("history nas01:/srv --json");
  EXPECT_NE(listed.find("\"nas01:/srv\""), std::string::npos) << listed;
  const std::string diff = Cli("diff nas01:/srv --json", &status);
  EXPECT_EQ(status, 0) << diff;
  EXPECT_NE(diff.find("sub"), std::string::npos) << diff;
  // A scan for cron: nothing printed, recorded all the same.
  const std::string quiet = RunCommand(
      ShellQuote(kCli) + " scan --history-only " + ShellQuote(Root) + " 2>/dev/null", &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(quiet, "");
  EXPECT_NE(Cli("history " + ShellQuote(Root) + " --json").find("\"size\""), std::string::npos);
  // A broken file adds nothing and says why.
  RunCommand("head -c 200 " + ShellQuote(ncdu) + " > " + ShellQuote(Tmp / "cut.json"));
  const std::string refused = Cli("history import " + ShellQuote(Tmp / "cut.json"), &status);
  EXPECT_EQ(status, 1);
  EXPECT_NE(refused.find("at byte"), std::string::npos) << refused;
}

}  // namespace
}  // namespace Vellumetric
