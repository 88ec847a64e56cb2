#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace Vellumetric {

// One prepared statement, finalized when it goes out of scope. Binding indexes start at 1, as
// in SQLite. Step() answers SQLITE_ROW, SQLITE_DONE or the error code; Reset() makes the
// statement ready for the next row of a batch with new bindings.
class TSqlStatement {
 public:
  TSqlStatement(sqlite3* db, std::string_view sql);
  ~TSqlStatement();
  TSqlStatement(const TSqlStatement&) = delete;
  TSqlStatement& operator=(const TSqlStatement&) = delete;

  [[nodiscard]] bool Ok() const noexcept { return Statement != nullptr; }
  [[nodiscard]] int PrepareCode() const noexcept { return PrepareResult; }

  void Bind(int index, std::int64_t value);
  void BindNull(int index);
  // The text must stay alive until the next Step(); it is not copied.
  void BindText(int index, std::string_view text);
  void BindBlob(int index, std::string_view bytes);

  [[nodiscard]] int Step();
  void Reset();

  [[nodiscard]] std::int64_t Int(int column) const;
  [[nodiscard]] bool IsNull(int column) const;
  [[nodiscard]] std::string Text(int column) const;

 private:
  sqlite3_stmt* Statement = nullptr;
  int PrepareResult = 0;
};

}  // namespace Vellumetric
