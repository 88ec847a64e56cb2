// The history file: what goes in comes back, retention and vacuum, damaged and locked files, and
// the recorder's thread.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include "TTempDir.h"
#include "history/THistoryDatabase.h"
#include "history/TScanHistoryRecorder.h"

namespace Vellumetric {
namespace {

namespace fs = std::filesystem;
using Testing::TTempDir;

// A root with `folders` subfolders in a chain of fans: folder i hangs below folder i / 8.
TScanSnapshot WideSnapshot(const std::string& root, std::uint32_t folders, std::uint64_t seed) {
  TScanSnapshot s;
  s.Root = root;
  s.Started = 1700000000 + static_cast<std::int64_t>(seed);
  s.Finished = s.Started + 3;
  s.AddFolder(NoNode, "", 0, 0, 0);
  for (std::uint32_t i = 1; i <= folders; ++i) {
    s.AddFolder(i / 8, "folder_" + std::to_string(i), seed * 1000 + i, i % 7, 0);
  }
  s.Size = seed;
  s.FolderCount = folders;
  return s;
}

std::uintmax_t FileSize(const std::string& path) {
  std::error_code ec;
  const auto size = fs::file_size(path, ec);
  return ec ? 0 : size;
}

TEST(HistoryDatabase, StoresEveryFolderAndKeepsTheNewestScansOfEachRoot) {
  TTempDir tmp;
  THistoryDatabase db(tmp / "history.sqlite");
  ASSERT_TRUE(db.Open()) << db.Error();
  TScanSnapshot odd = WideSnapshot("/data", 1, 1);
  odd.AddFolder(0, "bad\xff\xfe name", 1002, 2, 0);  // not UTF-8: kept byte for byte
  odd.AddFolder(0, "", 1ull << 62, 3, 0);            // an empty name between two others
  odd.AddFolder(1, "folder_4", 1004, 4, 0);
  odd.FolderCount = 4;
  odd.Mode = FolderKindDrive;
  odd.Unreadable = 4;
  ASSERT_TRUE(db.Store(odd)) << db.Error();
  for (std::uint64_t i = 2; i <= 12; ++i) ASSERT_TRUE(db.Store(WideSnapshot("/data", 20, i)));
  ASSERT_TRUE(db.Store(WideSnapshot("/other", 5, 99)));

  std::vector<TScanSnapshot> scans;
  ASSERT_TRUE(db.ListScans("/data", scans));
  ASSERT_EQ(scans.size(), 10u);  // scans 1 and 2 of /data were pruned; /other is untouched
  EXPECT_EQ(scans.front().Size, 12u);
  EXPECT_EQ(scans.back().Size, 3u);
  EXPECT_GT(scans.front().Id, scans.back().Id);
  ASSERT_TRUE(db.ListScans("", scans));
  EXPECT_EQ(scans.size(), 11u);
  EXPECT_EQ(scans.front().Root, "/other");

  // The pruned scan is gone; a kept one reads back folder for folder.
  THistoryDatabase again(tmp / "history.sqlite");
  TScanSnapshot back;
  EXPECT_FALSE(again.LoadScan(1, back));
  ASSERT_TRUE(db.Store(odd));
  ASSERT_TRUE(db.ListScans("/data", scans));
  ASSERT_TRUE(again.LoadScan(scans.front().Id, back)) << again.Error();
  EXPECT_EQ(back.Mode, FolderKindDrive);
  EXPECT_EQ(back.Unreadable, std::optional<std::uint32_t>(4));
  EXPECT_EQ(back.Started, odd.Started);
  ASSERT_EQ(back.Folders.size(), odd.Folders.size());
  for (std::size_t i = 0; i < odd.Folders.size(); ++i) {
    EXPECT_EQ(back.Name(i), odd.Name(i));
    EXPECT_EQ(back.Folders[i].Parent, odd.Folders[i].Parent);
    EXPECT_EQ(back.Folders[i].Size, odd.Folders[i].Size);
    EXPECT_EQ(back.Folders[i].Files, odd.Folders[i].Files);
  }
}

TEST(HistoryDatabase, LoweringKeepPrunesAndVacuumsWhenMostOfTheFileIsFree) {
  TTempDir tmp;
  const std::string path = tmp / "history.sqlite";
  THistoryDatabase db(path);
  for (std::uint64_t i = 1; i <= 6; ++i) ASSERT_TRUE(db.Store(WideSnapshot("/big", 5000, i)));
  db.Close();  // the WAL is folded into the file
  const auto full = FileSize(path);
  ASSERT_TRUE(db.Open());
  int removed = 0;
  ASSERT_TRUE(db.SetKeep(2, removed)) << db.Error();
  EXPECT_EQ(removed, 4);
  EXPECT_EQ(db.Keep(), 2);
  db.Close();
  EXPECT_LT(FileSize(path), full / 2);
  // The setting persists: the next store keeps two as well.
  ASSERT_TRUE(db.Store(WideSnapshot("/big", 10, 7)));
  std::vector<TScanSnapshot> scans;
  ASSERT_TRUE(db.ListScans("/big", scans));
  EXPECT_EQ(scans.size(), 2u);
}

TEST(HistoryDatabase, DeletingScansTakesTheirFoldersAndNothingElseAndALockLosesNothing) {
  TTempDir tmp;
  const std::string path = tmp / "history.sqlite";
  THistoryDatabase db(path, 50);
  for (std::uint64_t i = 1; i <= 3; ++i) ASSERT_TRUE(db.Store(WideSnapshot("/a", 3000, i)));
  ASSERT_TRUE(db.Store(WideSnapshot("/b", 10, 4)));
  std::vector<TScanSnapshot> scans;
  ASSERT_TRUE(db.ListScans("", scans));
  ASSERT_EQ(scans.size(), 4u);  // ids: /b, then /a newest first

  // Held by another program: refused as a whole.
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "begin immediate", nullptr, nullptr, nullptr), SQLITE_OK);
  int removed = -1;
  EXPECT_FALSE(db.DeleteScans({scans[1].Id}, removed));
  EXPECT_EQ(removed, 0);
  sqlite3_exec(other, "rollback", nullptr, nullptr, nullptr);

  ASSERT_TRUE(db.DeleteScans({scans[1].Id, scans[3].Id, 999}, removed)) << db.Error();
  EXPECT_EQ(removed, 2);
  std::vector<TScanSnapshot> left;
  ASSERT_TRUE(db.ListScans("", left));
  ASSERT_EQ(left.size(), 2u);
  EXPECT_EQ(left[0].Id, scans[0].Id);
  EXPECT_EQ(left[1].Id, scans[2].Id);
  TScanSnapshot back;
  EXPECT_TRUE(db.LoadScan(scans[2].Id, back));
  EXPECT_EQ(back.Folders.size(), 3001u);
  sqlite3_stmt* count = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(other,
                               "select count(*) from folder_block where scan not in "
                               "(select id from scan)",
                               -1, &count, nullptr),
            SQLITE_OK);
  ASSERT_EQ(sqlite3_step(count), SQLITE_ROW);
  EXPECT_EQ(sqlite3_column_int(count, 0), 0);  // no folders left behind
  sqlite3_finalize(count);
  sqlite3_close(other);
}

TEST(HistoryDatabase, DamagedFileIsMovedAsideAndANewHistoryStarted) {
  TTempDir tmp;
  const std::string path = tmp / "history.sqlite";
  const std::string garbage(9000, '\x5a');
  std::ofstream(path, std::ios::binary) << garbage;
  THistoryDatabase db(path);
  ASSERT_TRUE(db.Store(WideSnapshot("/r", 3, 1))) << db.Error();
  EXPECT_NE(db.Notice().find("moved to"), std::string::npos);
  std::set<std::string> aside;
  for (const auto& entry : fs::directory_iterator(tmp.Path())) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("history.sqlite.corrupt-", 0) == 0) aside.insert(entry.path().string());
  }
  ASSERT_EQ(aside.size(), 1u);
  std::ifstream in(*aside.begin(), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), garbage);
  std::vector<TScanSnapshot> scans;
  ASSERT_TRUE(db.ListScans("", scans));
  EXPECT_EQ(scans.size(), 1u);

  // A scan whose folders do not decode (here: a parent after its child) is refused, not guessed.
  db.Close();
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(raw, "update folder_block set data = x'0000000000' || x'0200000000'",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  TScanSnapshot damaged;
  EXPECT_FALSE(db.LoadScan(scans[0].Id, damaged));
  EXPECT_NE(db.Error().find("damaged"), std::string::npos) << db.Error();
  db.Close();

  // A history from a newer program is not ours to rewrite: refused, and left as it is.
  ASSERT_EQ(sqlite3_exec(raw, "pragma user_version = 9", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(raw);
  EXPECT_FALSE(db.Open());
  EXPECT_NE(db.Error().find("newer"), std::string::npos);
  EXPECT_TRUE(db.Notice().empty());
}

TEST(HistoryDatabase, LockedFileFailsTheStoreAndKeepsWhatWasThere) {
  TTempDir tmp;
  const std::string path = tmp / "history.sqlite";
  THistoryDatabase db(path, 50);
  ASSERT_TRUE(db.Store(WideSnapshot("/r", 3, 1)));
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "begin immediate", nullptr, nullptr, nullptr), SQLITE_OK);
  EXPECT_FALSE(db.Store(WideSnapshot("/r", 3, 2)));
  EXPECT_NE(db.Error().find("locked"), std::string::npos) << db.Error();
  sqlite3_exec(other, "rollback", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  std::vector<TScanSnapshot> scans;
  ASSERT_TRUE(db.ListScans("/r", scans));
  ASSERT_EQ(scans.size(), 1u);
  EXPECT_EQ(scans[0].Size, 1u);
  EXPECT_TRUE(db.Store(WideSnapshot("/r", 3, 3)));
}

TEST(ScanHistoryRecorder, WritesEveryQueuedScanOnItsOwnThreadAndReportsFailures) {
  TTempDir tmp;
  const std::thread::id caller = std::this_thread::get_id();
  std::vector<std::thread::id> writers;
  std::vector<std::size_t> seenBetween;
  {
    TScanHistoryRecorder recorder(tmp / "history.sqlite", [&](bool stored, const std::string&) {
      if (stored) writers.push_back(std::this_thread::get_id());
    });
    for (std::uint64_t i = 1; i <= 3; ++i) {
      recorder.Record(WideSnapshot("/q", 100, i));
      // A read posted between two scans sees the first and not the second.
      recorder.Post([&](const std::string& database) {
        THistoryDatabase reader(database);
        std::vector<TScanSnapshot> seen;
        if (reader.ListScans("/q", seen)) seenBetween.push_back(seen.size());
      });
    }
  }  // the destructor writes what is queued before it joins
  EXPECT_EQ(seenBetween, (std::vector<std::size_t>{1, 2, 3}));
  ASSERT_EQ(writers.size(), 3u);
  EXPECT_NE(writers[0], caller);
  THistoryDatabase db(tmp / "history.sqlite");
  std::vector<TScanSnapshot> scans;
  ASSERT_TRUE(db.ListScans("/q", scans));
  ASSERT_EQ(scans.size(), 3u);
  EXPECT_EQ(scans[0].Size, 3u);  // in the order given

  TScanHistoryRecorder broken(tmp / "missing-folder/history.sqlite");
  broken.Record(WideSnapshot("/q", 1, 1));
  broken.WaitIdle();
  const std::vector<std::string> warnings = broken.TakeWarnings();
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(warnings[0].find('\n'), std::string::npos);
  EXPECT_NE(warnings[0].find("not added to the history"), std::string::npos);
}

}  // namespace
}  // namespace Vellumetric
