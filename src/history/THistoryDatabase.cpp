#include "history/THistoryDatabase.h"

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <utility>

#include "history/FolderBlocks.h"
#include "history/TSqlStatement.h"
#include "system/TextEncoding.h"

namespace Vellumetric {
namespace {

// Version 1. A scan's folders live in blocks (see FolderBlocks.h), found through their scan.
constexpr const char* kSchemaV1 =
    "create table if not exists scan("
    " id integer primary key autoincrement, root text not null, mode text not null,"
    " started integer not null, finished integer not null, size integer not null,"
    " files integer not null, folders integer not null, unreadable integer);"
    "create index if not exists scan_by_root on scan(root, id);"
    "create table if not exists folder_block("
    " id integer primary key, scan integer not null, data blob not null);"
    "create index if not exists folder_block_by_scan on folder_block(scan, id);"
    "create table if not exists setting(key text primary key, value);";

constexpr const char* kScanColumns =
    "select id, root, mode, started, finished, size, files, folders, unreadable from scan ";

bool IsDamaged(int rc) {
  return (rc & 0xff) == SQLITE_NOTADB || (rc & 0xff) == SQLITE_CORRUPT;
}

// SQLite's message for the last failure. A full disk shows up as an I/O error when the shared
// memory or WAL file cannot grow; the system's error code tells it apart.
std::string MessageOf(sqlite3* db) {
  if (sqlite3_system_errno(db) == ENOSPC) return "the disk is full";
  return sqlite3_errmsg(db);
}

bool IsOk(int rc) {
  return rc == SQLITE_OK || rc == SQLITE_DONE || rc == SQLITE_ROW;
}

// UTC, so the suffix sorts and never depends on the machine's time zone.
std::string DateSuffix() {
  using namespace std::chrono;
  const auto now = floor<seconds>(system_clock::now());
  const auto day = floor<days>(now);
  const year_month_day ymd{day};
  const hh_mm_ss hms{now - day};
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02u%02u-%02d%02d%02d", static_cast<int>(ymd.year()),
                static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()),
                static_cast<int>(hms.hours().count()), static_cast<int>(hms.minutes().count()),
                static_cast<int>(hms.seconds().count()));
  return text;
}

// The history lists the user's folder names: the file is made readable by its owner only
// before SQLite writes anything, and SQLite gives its WAL and shared-memory files the same mode.
void PreparePrivateFile(const std::string& path) {
  namespace fs = std::filesystem;
  const fs::path p = Utf8Path(path);
  std::error_code ec;
  if (!fs::exists(p, ec)) std::ofstream(p, std::ios::app | std::ios::binary);
  fs::permissions(p, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace, ec);
}

TScanSnapshot ReadScanRow(const TSqlStatement& s) {
  TScanSnapshot scan;
  scan.Id = s.Int(0);
  scan.Root = s.Text(1);
  scan.Mode = s.Text(2) == "drive" ? FolderKindDrive : FolderKindFolder;
  scan.Started = s.Int(3);
  scan.Finished = s.Int(4);
  scan.Size = static_cast<std::uint64_t>(s.Int(5));
  scan.Files = static_cast<std::uint32_t>(s.Int(6));
  scan.FolderCount = static_cast<std::uint32_t>(s.Int(7));
  if (!s.IsNull(8)) scan.Unreadable = static_cast<std::uint32_t>(s.Int(8));
  return scan;
}

}  // namespace

THistoryDatabase::THistoryDatabase(std::string path, int busyMilliseconds)
    : FilePath(std::move(path)), BusyMilliseconds(busyMilliseconds) {}

THistoryDatabase::~THistoryDatabase() {
  Close();
}

void THistoryDatabase::Close() {
  if (Db) sqlite3_close(Db);
  Db = nullptr;
}

bool THistoryDatabase::Fail(int code) {
  if (ErrorText.empty()) ErrorText = sqlite3_errstr(code);
  return false;
}

int THistoryDatabase::Exec(const char* sql) {
  const int rc = sqlite3_exec(Db, sql, nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) ErrorText = MessageOf(Db);
  return rc;
}

bool THistoryDatabase::Open() {
  ErrorText.clear();
  NoticeText.clear();
  int rc = OpenOnce();
  if (IsDamaged(rc)) {
    if (!MoveAside()) return false;
    rc = OpenOnce();
  }
  return IsOk(rc) || Fail(rc);
}

bool THistoryDatabase::OpenForReading() {
  if (Open()) return true;
  std::error_code ec;
  if (!std::filesystem::exists(Utf8Path(FilePath), ec)) return false;
  const std::string failure = ErrorText;
  // "immutable" reads the file without the WAL's shared memory, which could not be created.
  std::string uri = "file:";
  for (const char c : FilePath) {
    if (c == '%' || c == '?' || c == '#') {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(c));
      uri += escaped;
    } else {
      uri += c;
    }
  }
  uri += "?immutable=1";
  int version = -1;
  if (sqlite3_open_v2(uri.c_str(), &Db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr) ==
      SQLITE_OK) {
    TSqlStatement read(Db, "pragma user_version");
    if (read.Ok() && read.Step() == SQLITE_ROW) version = static_cast<int>(read.Int(0));
  }
  if (version == SchemaVersion) return true;
  Close();
  ErrorText = failure;
  return false;
}

int THistoryDatabase::OpenOnce() {
  Close();
  ErrorText.clear();
  PreparePrivateFile(FilePath);
  const int rc =
      sqlite3_open_v2(FilePath.c_str(), &Db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (rc != SQLITE_OK) {
    ErrorText = Db ? MessageOf(Db) : sqlite3_errstr(rc);
    Close();
    return rc;
  }
  sqlite3_busy_timeout(Db, BusyMilliseconds);
  const int schema = PrepareSchema();
  if (!IsOk(schema)) Close();
  return schema;
}

int THistoryDatabase::PrepareSchema() {
  int version = 0;
  {
    TSqlStatement read(Db, "pragma user_version");
    if (!read.Ok()) {
      ErrorText = MessageOf(Db);
      return read.PrepareCode();
    }
    if (read.Step() == SQLITE_ROW) version = static_cast<int>(read.Int(0));
  }
  if (version > SchemaVersion) {
    ErrorText = "the history was written by a newer version of the program";
    return SQLITE_ERROR;
  }
  // Both may fail on a read-only or busy file that is already set up; reading still works then.
  const int wal = Exec("pragma journal_mode=wal");
  if (IsDamaged(wal)) return wal;
  (void)Exec("pragma synchronous=normal");
  // A scan is a few blobs appended in one transaction, and with a write-ahead log SQLite writes
  // what overflows the cache on to the log mid-transaction: a small cache costs no time there
  // (measured: the same write time at 512 KiB as at 16 MiB), while a large one stays filled for
  // as long as the history is open, in the busiest moment of a scan's end.
  (void)Exec("pragma cache_size=-512");
  ErrorText.clear();
  if (version == SchemaVersion) return SQLITE_OK;
  // Migrations run forward one version at a time inside one transaction.
  int rc = Exec("begin immediate");
  if (rc == SQLITE_OK && version < 1) rc = Exec(kSchemaV1);
  if (rc == SQLITE_OK) rc = Exec("pragma user_version = 1");
  if (rc == SQLITE_OK) rc = Exec("commit");
  if (rc != SQLITE_OK) {
    const std::string reason = ErrorText;
    (void)Exec("rollback");
    ErrorText = reason;
  }
  return rc;
}

bool THistoryDatabase::MoveAside() {
  namespace fs = std::filesystem;
  Close();
  std::error_code ec;
  std::string target = FilePath + ".corrupt-" + DateSuffix();
  for (int n = 2; fs::exists(Utf8Path(target), ec); ++n) {
    target = FilePath + ".corrupt-" + DateSuffix() + "-" + std::to_string(n);
  }
  fs::rename(Utf8Path(FilePath), Utf8Path(target), ec);
  if (ec) {
    ErrorText = "the history is damaged and could not be moved aside: " + ec.message();
    return false;
  }
  // The journal files belong to the damaged file; a new database must not replay them.
  for (const char* suffix : {"-wal", "-shm"}) {
    std::error_code ignored;
    if (fs::exists(Utf8Path(FilePath + suffix), ignored)) {
      fs::rename(Utf8Path(FilePath + suffix), Utf8Path(target + suffix), ignored);
    }
  }
  NoticeText = "the scan history was damaged; it was moved to " + target + " and a new one started";
  return true;
}

bool THistoryDatabase::Store(const TScanSnapshot& scan) {
  if (!Db && !Open()) return false;
  int rc = StoreOnce(scan);
  if (IsDamaged(rc)) {
    if (!MoveAside()) return false;
    rc = OpenOnce();
    if (IsOk(rc)) rc = StoreOnce(scan);
  }
  return IsOk(rc) || Fail(rc);
}

int THistoryDatabase::StoreOnce(const TScanSnapshot& scan) {
  const int keep = Keep();
  int rc = Exec("begin immediate");
  if (rc != SQLITE_OK) return rc;
  {
    TSqlStatement insert(Db,
                         "insert into scan(root, mode, started, finished, size, files, folders,"
                         " unreadable) values(?, ?, ?, ?, ?, ?, ?, ?)");
    insert.BindText(1, scan.Root);
    insert.BindText(2, scan.Mode == FolderKindDrive ? "drive" : "folder");
    insert.Bind(3, scan.Started);
    insert.Bind(4, scan.Finished);
    insert.Bind(5, static_cast<std::int64_t>(scan.Size));
    insert.Bind(6, scan.Files);
    insert.Bind(7, scan.FolderCount);
    if (scan.Unreadable) {
      insert.Bind(8, *scan.Unreadable);
    } else {
      insert.BindNull(8);
    }
    rc = insert.Ok() ? insert.Step() : insert.PrepareCode();
  }
  const std::int64_t id = sqlite3_last_insert_rowid(Db);
  if (rc == SQLITE_DONE) rc = InsertFolders(id, scan);
  int removed = 0;
  if (rc == SQLITE_DONE || rc == SQLITE_OK) rc = PruneRoot(scan.Root, keep, removed);
  rc = CommitOrRollback(rc);
  if (rc != SQLITE_OK) return rc;
  LastStoredId = id;
  if (removed > 0) VacuumIfMostlyFree();
  return SQLITE_OK;
}

int THistoryDatabase::InsertFolders(std::int64_t scanId, const TScanSnapshot& scan) {
  TSqlStatement insert(Db, "insert into folder_block(scan, data) values(?, ?)");
  if (!insert.Ok()) return insert.PrepareCode();
  insert.Bind(1, scanId);
  for (std::size_t first = 0; first < scan.Folders.size(); first += FolderBlockSize) {
    const std::size_t count = std::min(FolderBlockSize, scan.Folders.size() - first);
    const std::string block = EncodeFolderBlock(scan, first, count);
    insert.BindBlob(2, block);
    const int rc = insert.Step();
    if (rc != SQLITE_DONE) return rc;
    insert.Reset();
  }
  return SQLITE_DONE;
}

// Ends the open transaction: commits when everything before went well, else rolls back. The text
// of the first failure is kept; the rollback's own message would hide it.
int THistoryDatabase::CommitOrRollback(int rc) {
  if (rc == SQLITE_OK) rc = Exec("commit");
  if (rc != SQLITE_OK) {
    const std::string reason = MessageOf(Db);
    (void)Exec("rollback");
    ErrorText = reason;
  }
  return rc;
}

int THistoryDatabase::PruneRoot(const std::string& root, int keep, int& removed) {
  std::vector<std::int64_t> old;
  {
    TSqlStatement select(Db,
                         "select id from scan where root = ? order by id desc limit -1 offset ?");
    if (!select.Ok()) return select.PrepareCode();
    select.BindText(1, root);
    select.Bind(2, keep);
    int rc = SQLITE_ROW;
    while ((rc = select.Step()) == SQLITE_ROW) old.push_back(select.Int(0));
    if (rc != SQLITE_DONE) return rc;
  }
  return DeleteRows(old, removed);
}

int THistoryDatabase::DeleteRows(const std::vector<std::int64_t>& ids, int& removed) {
  TSqlStatement folders(Db, "delete from folder_block where scan = ?");
  TSqlStatement scans(Db, "delete from scan where id = ?");
  if (!folders.Ok() || !scans.Ok())
    return folders.Ok() ? scans.PrepareCode() : folders.PrepareCode();
  for (const std::int64_t id : ids) {
    folders.Bind(1, id);
    scans.Bind(1, id);
    int rc = folders.Step();
    if (rc == SQLITE_DONE) rc = scans.Step();
    if (rc != SQLITE_DONE) return rc;
    removed += sqlite3_changes(Db);
    folders.Reset();
    scans.Reset();
  }
  return SQLITE_OK;
}

bool THistoryDatabase::DeleteScans(const std::vector<std::int64_t>& ids, int& removed) {
  removed = 0;
  if (!Db && !Open()) return false;
  int rc = Exec("begin immediate");
  if (rc == SQLITE_OK) rc = DeleteRows(ids, removed);
  rc = CommitOrRollback(rc);
  if (rc != SQLITE_OK) {
    removed = 0;
    return Fail(rc);
  }
  if (removed > 0) VacuumIfMostlyFree();
  return true;
}

void THistoryDatabase::VacuumIfMostlyFree() {
  std::int64_t pages = 0;
  std::int64_t free = 0;
  {
    TSqlStatement count(Db, "pragma page_count");
    if (count.Step() == SQLITE_ROW) pages = count.Int(0);
    TSqlStatement unused(Db, "pragma freelist_count");
    if (unused.Step() == SQLITE_ROW) free = unused.Int(0);
  }
  if (free * 2 <= pages) return;
  // Shrinking is housekeeping: a failure leaves a larger file, nothing else.
  if (Exec("vacuum") == SQLITE_OK) (void)Exec("pragma wal_checkpoint(truncate)");
  ErrorText.clear();
}

int THistoryDatabase::Keep() {
  if (!Db) return DefaultKeep;
  TSqlStatement read(Db, "select value from setting where key = 'keep'");
  if (read.Step() == SQLITE_ROW && read.Int(0) > 0) return static_cast<int>(read.Int(0));
  return DefaultKeep;
}

bool THistoryDatabase::SetKeep(int keep, int& removedScans) {
  removedScans = 0;
  if (!Db && !Open()) return false;
  std::vector<std::string> roots;
  int rc = Exec("begin immediate");
  if (rc == SQLITE_OK) {
    TSqlStatement set(Db, "insert or replace into setting(key, value) values('keep', ?)");
    set.Bind(1, keep);
    rc = set.Ok() ? set.Step() : set.PrepareCode();
  }
  if (rc == SQLITE_DONE) {
    TSqlStatement list(Db, "select distinct root from scan");
    while ((rc = list.Step()) == SQLITE_ROW) roots.push_back(list.Text(0));
  }
  if (rc == SQLITE_DONE) rc = SQLITE_OK;
  for (std::size_t i = 0; rc == SQLITE_OK && i < roots.size(); ++i) {
    rc = PruneRoot(roots[i], keep, removedScans);
  }
  rc = CommitOrRollback(rc);
  if (rc != SQLITE_OK) return Fail(rc);
  if (removedScans > 0) VacuumIfMostlyFree();
  return true;
}

bool THistoryDatabase::ListScans(const std::string& root, std::vector<TScanSnapshot>& scans) {
  scans.clear();
  if (!Db && !Open()) return false;
  TSqlStatement list(Db,
                     std::string(kScanColumns) + "where ?1 is null or root = ?1 order by id desc");
  if (!list.Ok()) {
    ErrorText = MessageOf(Db);
    return false;
  }
  if (root.empty()) {
    list.BindNull(1);
  } else {
    list.BindText(1, root);
  }
  int rc = SQLITE_ROW;
  while ((rc = list.Step()) == SQLITE_ROW) scans.push_back(ReadScanRow(list));
  if (rc != SQLITE_DONE) {
    ErrorText = MessageOf(Db);
    return false;
  }
  return true;
}

bool THistoryDatabase::LoadScan(std::int64_t id, TScanSnapshot& scan) {
  if (!Db && !Open()) return false;
  {
    TSqlStatement one(Db, std::string(kScanColumns) + "where id = ?");
    one.Bind(1, id);
    if (one.Step() != SQLITE_ROW) {
      ErrorText = "there is no scan " + std::to_string(id) + " in the history";
      return false;
    }
    scan = ReadScanRow(one);
  }
  // Grown by doubling, the list would hold up to twice what it needs; a damaged count must not
  // ask for more than a very large tree.
  scan.Folders.reserve(std::min<std::uint64_t>(scan.FolderCount + 1ull, 1u << 22));
  TSqlStatement blocks(Db, "select data from folder_block where scan = ? order by id");
  blocks.Bind(1, id);
  int rc = SQLITE_ROW;
  bool intact = true;
  while (intact && (rc = blocks.Step()) == SQLITE_ROW) {
    intact = DecodeFolderBlock(blocks.Text(0), scan);
  }
  scan.Names.shrink_to_fit();
  if (rc != SQLITE_DONE && rc != SQLITE_ROW) {
    ErrorText = MessageOf(Db);
    return false;
  }
  if (!intact || scan.Folders.empty()) {
    // The readers of a snapshot rely on each folder following its parent.
    ErrorText = "scan " + std::to_string(id) + " is damaged in the history";
    return false;
  }
  return true;
}

}  // namespace Vellumetric
