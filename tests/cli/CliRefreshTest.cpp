// One folder scanned again after files below it came and went: every total from the root down,
// the biggest files and the groups must be those of a full scan of the changed tree, byte for
// byte in the command line's JSON.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <regex>
#include <string>

#include "TTempDir.h"
#include "cli/ScanReport.h"
#include "cli/TCliSession.h"
#include "filetypes/DefaultFileTypes.h"
#include "find/TFileQuery.h"

namespace Vellumetric {
namespace {

using namespace Testing;

std::unique_ptr<TCliSession> NewSession() {
  return std::make_unique<TCliSession>(DefaultGroupList(), DefaultExtensionList(), false);
}

std::string Json(TCliSession& session, const std::string& root) {
  session.Summarise(root);
  session.Tree().SortAll(
      [](const TFolderData& a, const TFolderData& b) { return a.Size > b.Size; });
  TReportOptions options{false, -1, session.Style(), &session.GroupTotals(), &session.Unreadable()};
  return JsonReport(session.Tree(), session.Biggest(), options);
}

std::string FullScanJson(const std::string& root,
                         std::shared_ptr<const TExclusionRules> rules = {}) {
  auto session = NewSession();
  session->SetExclusions(std::move(rules));
  EXPECT_TRUE(session->Scan(root, false));
  return Json(*session, root);
}

// Raw last-access times cut to the second: a file that joins the biggest files from the records
// (which keep the second) rather than from a walk has no finer time.
std::string ToTheSecond(const std::string& json) {
  static const std::regex time("(\"last_access\":[0-9]+)[0-9]{7}");
  return std::regex_replace(json, time, "$1");
}

TNodeId FindFolder(const TFolderTree& tree, const std::string& path) {
  for (TNodeId n = 0; n < tree.Count(); ++n) {
    if (tree.Data(n).Path.Str() == path) return n;
  }
  return NoNode;
}

class CliRefresh : public ::testing::Test {
 protected:
  void SetUp() override {
    Root = Tmp / "tree";
    // Sizes differ everywhere, so largest-first gives one order whatever the listing's order.
    for (const char* d : {"", "/work", "/work/src", "/work/src/old", "/work/docs", "/work/ünï cødé",
                          "/music", "/keep"}) {
      MakeFolders(Root + d);
    }
    MakeFile(Root + "/work/src/main.cpp", 12001);
    MakeFile(Root + "/work/todo.txt", 777);
    MakeFile(Root + "/work/src/old/legacy.cpp", 33003);
    MakeFile(Root + "/work/docs/guide.pdf", 250007);
    MakeFile(Root + "/work/ünï cødé/bild.jpg", 70009);
    MakeFile(Root + "/music/song.mp3", 900011);
    MakeFile(Root + "/keep/notes.txt", 5013);
    ASSERT_EQ(
        ::link((Root + "/work/src/main.cpp").c_str(), (Root + "/work/docs/main-copy.cpp").c_str()),
        0);
  }

  // Files and folders come and go below work/.
  void ChangeWork() {
    std::filesystem::remove_all(Root + "/work/src/old");
    std::filesystem::remove(Root + "/work/docs/guide.pdf");
    MakeFile(Root + "/work/todo.txt", 1999);  // a file of the folder itself changes
    MakeFolders(Root + "/work/new/deeper");
    MakeFile(Root + "/work/new/deeper/movie.mkv", 4000037);
    MakeFile(Root + "/work/ünï cødé/zwei.png", 8111);
    ASSERT_EQ(::link((Root + "/work/ünï cødé/zwei.png").c_str(),
                     (Root + "/work/new/zwei-too.png").c_str()),
              0);
  }

  TTempDir Tmp;
  std::string Root;
};

TEST_F(CliRefresh, RefreshedFolderEqualsAFullScanOfTheChangedTree) {
  auto session = NewSession();
  ASSERT_TRUE(session->Scan(Root, false));
  const std::string before = Json(*session, Root);
  ChangeWork();
  const TNodeId work = FindFolder(session->Tree(), Root + "/work");
  ASSERT_NE(work, NoNode);
  for (const int threads : {1, 8}) {
    ASSERT_TRUE(session->Refresh(work, threads));
    const std::string after = Json(*session, Root);
    EXPECT_NE(after, before);
    EXPECT_EQ(after, FullScanJson(Root)) << threads << " threads";
  }
}

// A file with a name inside the refreshed folder and one outside: its blocks count once, at
// one of them, before and after, so the root's bytes on disk match a full scan and du.
TEST_F(CliRefresh, NameOutsideKeepsCountingTheBlocksOnce) {
  MakeFile(Root + "/keep/shared.bin", 64 << 10);
  ASSERT_EQ(::link((Root + "/keep/shared.bin").c_str(), (Root + "/work/shared.bin").c_str()), 0);
  auto session = NewSession();
  ASSERT_TRUE(session->Scan(Root, false));
  const TNodeId work = FindFolder(session->Tree(), Root + "/work");
  const TNodeId keep = FindFolder(session->Tree(), Root + "/keep");
  const auto rootDisk = [&] {
    return session->Tree().Data(session->Tree().FirstChild(NoNode)).DiskSize;
  };
  const std::uint64_t disk = rootDisk();
  ASSERT_TRUE(session->Refresh(work));
  EXPECT_EQ(rootDisk(), disk);
  // Now every name inside goes: the name outside must take the blocks over.
  std::filesystem::remove(Root + "/work/shared.bin");
  ASSERT_TRUE(session->Refresh(work));
  auto full = NewSession();
  ASSERT_TRUE(full->Scan(Root, false));
  EXPECT_EQ(rootDisk(), full->Tree().Data(full->Tree().FirstChild(NoNode)).DiskSize);
  EXPECT_EQ(session->Tree().Data(keep).DiskSize,
            full->Tree().Data(FindFolder(full->Tree(), Root + "/keep")).DiskSize);
}

// A folder the rules left out, scanned now without them: as if it had never been left out. (Not
// src: the biggest files list equal sizes in the order the walk met them, and a folder scanned
// later meets its name of a linked file after the name in docs.)
TEST_F(CliRefresh, ExcludedFolderScannedNowCountsInFull) {
  TExclusionRuleList list{{TExclusionRule::TKind::Name, "ünï*"}};
  auto session = NewSession();
  session->SetExclusions(std::make_shared<const TExclusionRules>(list, TPathStyle::Posix));
  ASSERT_TRUE(session->Scan(Root, false));
  const TNodeId src = FindFolder(session->Tree(), Root + "/work/ünï cødé");
  ASSERT_NE(src, NoNode);
  ASSERT_TRUE(session->Tree().Data(src).Excluded);
  session->SetExclusions(nullptr);
  ASSERT_TRUE(session->Refresh(src));
  EXPECT_FALSE(session->Tree().Data(src).Excluded);
  EXPECT_EQ(Json(*session, Root), FullScanJson(Root));
}


// More files than the biggest-files list holds. The folder held the largest ones, then they go,
// then a larger one comes, then it is scanned again and again until the store has dropped more
// records than it keeps: the list, every total, and a search over every file must each time be
// what a full scan gives.
TEST_F(CliRefresh, BiggestFilesAndSearchFollowEveryRefresh) {
  for (int i = 0; i < 30; ++i) {
    MakeFile(Root + "/keep/f" + std::to_string(i) + ".dat", 20011 + 997 * i);
  }
  auto session = NewSession();
  ASSERT_TRUE(session->Scan(Root, false));
  const TNodeId work = FindFolder(session->Tree(), Root + "/work");
  const auto allFiles = [](TCliSession& s) {
    const TFindResult found = FindFiles(s.FileRecords(), s.Tree(), s.Style(), TFileQuery{});
    return std::to_string(found.Count) + " files, " + std::to_string(found.Bytes) + " bytes";
  };
  const auto expectFullScan = [&](const char* step) {
    auto full = NewSession();
    ASSERT_TRUE(full->Scan(Root, false));
    EXPECT_EQ(allFiles(*session), allFiles(*full)) << step;
    EXPECT_EQ(ToTheSecond(Json(*session, Root)), ToTheSecond(Json(*full, Root))) << step;
  };
  // The largest files of the list lay inside: the gap is filled from outside.
  std::filesystem::remove(Root + "/work/docs/guide.pdf");
  std::filesystem::remove_all(Root + "/work/src/old");
  ASSERT_TRUE(session->Refresh(work));
  expectFullScan("largest gone");
  MakeFile(Root + "/work/docs/huge.iso", 7000003);
  ASSERT_TRUE(session->Refresh(work));
  expectFullScan("a larger one came");
  for (int i = 0; i < 8; ++i) ASSERT_TRUE(session->Refresh(work));
  expectFullScan("scanned again and again");
  EXPECT_LE(session->FileRecords().RemovedCount() * 2, session->FileRecords().Count());
}

}  // namespace
}  // namespace Vellumetric
