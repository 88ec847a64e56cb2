#pragma once

#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace Vellumetric {

// The one connection to SQLite. Every operation answers true or false; a failure leaves its
// message in LastError(). Text goes in and comes out as UTF-8; stored text that is not valid
// UTF-8 (written by the older single-byte form) is read byte for character.
class TSQLite3 {
 public:
  class TSQLColumn {
   public:
    explicit TSQLColumn(std::string text) : Text(std::move(text)) {}
    [[nodiscard]] const std::string& Value() const noexcept { return Text; }

   private:
    std::string Text;  // NULL reads as an empty text
  };

  class TSQLRow {
   public:
    [[nodiscard]] std::size_t Count() const noexcept { return Columns.size(); }
    [[nodiscard]] const TSQLColumn& operator[](std::size_t i) const { return Columns[i]; }
    void Append(TSQLColumn column) { Columns.push_back(std::move(column)); }

   private:
    std::vector<TSQLColumn> Columns;
  };

  using TSQLRows = std::vector<TSQLRow>;

  TSQLite3() = default;
  ~TSQLite3();
  TSQLite3(const TSQLite3&) = delete;
  TSQLite3& operator=(const TSQLite3&) = delete;

  // Opens or creates the database. On failure LastError is string 755 with SQLite's message.
  [[nodiscard]] bool Open(std::string_view path);
  void Close();
  // Statements that return no rows. A failure for which SQLite gives no message counts as
  // success, as the program always treated it.
  [[nodiscard]] bool Execute(std::string_view statement);
  // Every row as text. Stepping errors end the rows quietly: true with the rows read so far.
  [[nodiscard]] bool Select(std::string_view statement, TSQLRows& rows);
  [[nodiscard]] bool HasRows(std::string_view statement);
  // Any schema object of that name (table, index or view). The name is not escaped.
  [[nodiscard]] bool TableExists(std::string_view name);

  [[nodiscard]] const std::string& LastError() const noexcept { return Error; }
  [[nodiscard]] bool IsOpen() const noexcept { return Opened; }

 private:
  sqlite3* Handle = nullptr;
  std::string Error;
  bool Opened = false;
};

}  // namespace Vellumetric
