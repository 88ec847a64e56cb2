#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "history/TScanSnapshot.h"

struct sqlite3;

namespace Vellumetric {

// The scan history: one SQLite file (WAL journal, readable by its owner only) with each finished
// scan's totals and every folder of its tree. Every operation answers true or false; a failure
// leaves a one-line reason in Error(). A file that is not a database, or a damaged one, is moved
// aside with a date suffix and a new history is started; Notice() then says so.
class THistoryDatabase {
 public:
  static constexpr int SchemaVersion = 1;
  static constexpr int DefaultKeep = 10;
  // Its name in the data folder.
  static constexpr const char* FileName = "history.sqlite";

  // `busyMilliseconds`: how long to wait for another process that holds the write lock.
  explicit THistoryDatabase(std::string path, int busyMilliseconds = 500);
  ~THistoryDatabase();
  THistoryDatabase(const THistoryDatabase&) = delete;
  THistoryDatabase& operator=(const THistoryDatabase&) = delete;

  [[nodiscard]] bool Open();
  // For listing and comparing: a history this user cannot write (a read-only file or folder) is
  // still read, as it is.
  [[nodiscard]] bool OpenForReading();
  void Close();

  // Stores the scan in one transaction, then keeps only the newest Keep() scans of its root.
  [[nodiscard]] bool Store(const TScanSnapshot& scan);
  // The id the last successful Store() gave its scan; 0 before one.
  [[nodiscard]] std::int64_t StoredId() const noexcept { return LastStoredId; }
  // Newest first; every root when `root` is empty. The folders are not read.
  [[nodiscard]] bool ListScans(const std::string& root, std::vector<TScanSnapshot>& scans);
  // One scan with all its folders; false when there is no scan of that id.
  [[nodiscard]] bool LoadScan(std::int64_t id, TScanSnapshot& scan);
  // Removes the scans of these ids in one transaction (all or none); ids the history does not
  // hold are passed over. `removed` counts the scans that were there.
  [[nodiscard]] bool DeleteScans(const std::vector<std::int64_t>& ids, int& removed);
  // Sets the number of scans kept per root and prunes every root to it.
  [[nodiscard]] bool SetKeep(int keep, int& removedScans);
  [[nodiscard]] int Keep();

  [[nodiscard]] const std::string& Path() const noexcept { return FilePath; }
  [[nodiscard]] const std::string& Error() const noexcept { return ErrorText; }
  [[nodiscard]] const std::string& Notice() const noexcept { return NoticeText; }

 private:
  [[nodiscard]] int OpenOnce();
  [[nodiscard]] int PrepareSchema();
  [[nodiscard]] int StoreOnce(const TScanSnapshot& scan);
  [[nodiscard]] int InsertFolders(std::int64_t scanId, const TScanSnapshot& scan);
  [[nodiscard]] int PruneRoot(const std::string& root, int keep, int& removed);
  [[nodiscard]] int DeleteRows(const std::vector<std::int64_t>& ids, int& removed);
  [[nodiscard]] int Exec(const char* sql);
  [[nodiscard]] int CommitOrRollback(int rc);
  [[nodiscard]] bool Fail(int code);
  void VacuumIfMostlyFree();
  [[nodiscard]] bool MoveAside();

  std::string FilePath;
  int BusyMilliseconds;
  sqlite3* Db = nullptr;
  std::string ErrorText;
  std::string NoticeText;
  std::int64_t LastStoredId = 0;
};

}  // namespace Vellumetric
