#include "history/TSqlStatement.h"

#include <sqlite3.h>

namespace Vellumetric {

TSqlStatement::TSqlStatement(sqlite3* db, std::string_view sql) {
  PrepareResult =
      sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &Statement, nullptr);
  if (PrepareResult != SQLITE_OK) {
    sqlite3_finalize(Statement);
    Statement = nullptr;
  }
}

TSqlStatement::~TSqlStatement() {
  sqlite3_finalize(Statement);
}

void TSqlStatement::Bind(int index, std::int64_t value) {
  sqlite3_bind_int64(Statement, index, value);
}

void TSqlStatement::BindNull(int index) {
  sqlite3_bind_null(Statement, index);
}

void TSqlStatement::BindText(int index, std::string_view text) {
  // Names are kept byte-exact, valid UTF-8 or not: stored as a blob-like text without checks.
  sqlite3_bind_text(Statement, index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
}

void TSqlStatement::BindBlob(int index, std::string_view bytes) {
  sqlite3_bind_blob(Statement, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_STATIC);
}

int TSqlStatement::Step() {
  return Statement ? sqlite3_step(Statement) : SQLITE_MISUSE;
}

void TSqlStatement::Reset() {
  sqlite3_reset(Statement);
}

std::int64_t TSqlStatement::Int(int column) const {
  return sqlite3_column_int64(Statement, column);
}

bool TSqlStatement::IsNull(int column) const {
  return sqlite3_column_type(Statement, column) == SQLITE_NULL;
}

std::string TSqlStatement::Text(int column) const {
  const auto* text = static_cast<const char*>(sqlite3_column_blob(Statement, column));
  const int size = sqlite3_column_bytes(Statement, column);
  return text ? std::string(text, static_cast<std::size_t>(size)) : std::string();
}

}  // namespace Vellumetric
