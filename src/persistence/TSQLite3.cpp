#include "persistence/TSQLite3.h"

#include <sqlite3.h>

#include <memory>

#include "system/StringTable.h"
#include "system/TextEncoding.h"

namespace Vellumetric {
namespace {

struct TStatementCloser {
  void operator()(sqlite3_stmt* statement) const noexcept { sqlite3_finalize(statement); }
};
struct TTableFreer {
  void operator()(char** table) const noexcept { sqlite3_free_table(table); }
};

std::string TextOf(const unsigned char* text) {
  return text ? DecodeDatabaseText(reinterpret_cast<const char*>(text)) : std::string();
}

}  // namespace

TSQLite3::~TSQLite3() {
  if (Opened || Handle) Close();
}

bool TSQLite3::Open(std::string_view path) {
  if (Handle) Close();
  std::u16string wide;
  if (!Utf8ToUtf16(path, wide)) {
    Error = LoadResStringFmt(IDS_CANNOT_OPEN_DATABASE, "the path is not valid UTF-8");
    return false;
  }
  if (sqlite3_open16(wide.c_str(), &Handle) == SQLITE_OK) {
    Opened = true;
    return true;
  }
  Error = LoadResStringFmt(IDS_CANNOT_OPEN_DATABASE,
                           Handle ? DecodeDatabaseText(sqlite3_errmsg(Handle)) : "out of memory");
  Close();
  return false;
}

void TSQLite3::Close() {
  if (Handle) sqlite3_close(Handle);
  Handle = nullptr;
  Opened = false;
}

bool TSQLite3::Execute(std::string_view statement) {
  if (!Handle) return false;
  const std::string text(statement);
  char* message = nullptr;
  const int rc = sqlite3_exec(Handle, text.c_str(), nullptr, nullptr, &message);
  if (rc != SQLITE_OK && message) {
    Error = DecodeDatabaseText(message);
    sqlite3_free(message);
    return false;
  }
  if (message) sqlite3_free(message);
  return true;
}

bool TSQLite3::HasRows(std::string_view statement) {
  if (!Handle) return false;
  const std::string text(statement);
  char** table = nullptr;
  int rowCount = 0;
  int columnCount = 0;
  char* message = nullptr;
  const int rc = sqlite3_get_table(Handle, text.c_str(), &table, &rowCount, &columnCount, &message);
  const std::unique_ptr<char*, TTableFreer> guard(table);
  if (rc != SQLITE_OK) {
    if (message) {
      Error = DecodeDatabaseText(sqlite3_errmsg(Handle));
      sqlite3_free(message);
    }
    return false;
  }
  if (message) sqlite3_free(message);
  return columnCount >= 1;  // SQLite reports columns only when a row came back
}

bool TSQLite3::TableExists(std::string_view name) {
  return HasRows("select name from sqlite_master where name='" + std::string(name) + "'");
}

bool TSQLite3::Select(std::string_view statement, TSQLRows& rows) {
  rows.clear();
  if (!Handle) return false;
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare(Handle, statement.data(), static_cast<int>(statement.size()), &raw,
                      nullptr) != SQLITE_OK) {
    Error = DecodeDatabaseText(sqlite3_errmsg(Handle));
    sqlite3_finalize(raw);
    return false;
  }
  const std::unique_ptr<sqlite3_stmt, TStatementCloser> prepared(raw);
  if (!raw) return true;  // an empty statement yields no rows
  const int columns = sqlite3_column_count(raw);
  while (sqlite3_step(raw) == SQLITE_ROW) {
    TSQLRow row;
    for (int c = 0; c < columns; ++c) row.Append(TSQLColumn(TextOf(sqlite3_column_text(raw, c))));
    rows.push_back(std::move(row));
  }
  return true;
}

}  // namespace Vellumetric
