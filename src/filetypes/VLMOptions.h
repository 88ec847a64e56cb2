#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "model/TFileExtData.h"
#include "model/TFileExtDescData.h"
#include "persistence/TSQLite3.h"

namespace Vellumetric {

// Shows a message the way the caller's front end does: a plain message box in the desktop
// program, a line on stderr in the CLI, a record in tests.
using TMessageSink = std::function<void(const std::string& message)>;

// The file-extension group database: one object per task, opened when made and closed when
// destroyed. After a failed statement the connection is closed and every later statement of
// the same object is skipped (returns false, shows nothing).
class VLMOptions {
 public:
  static constexpr const char* FileName = "fileExtData.sqlite";

  // `path`: the database file, normally DataFolder/fileExtData.sqlite.
  VLMOptions(std::string path, TMessageSink messages);

  bool LoadGroups(TFileExtDescList& groups);
  bool LoadExtensions(TFileExtList& extensions);
  bool InsertGroup(std::int32_t id, std::string_view name);
  bool InsertExtension(std::string_view extension, std::int32_t groupId);
  bool DeleteGroup(std::int32_t id);
  bool ResetGroups();
  bool ResetExtensions();
  bool CreateDefaultGroups();
  bool CreateDefaultExtensions();

  [[nodiscard]] bool IsOpen() const noexcept { return Db.IsOpen(); }
  [[nodiscard]] TSQLite3& Connection() noexcept { return Db; }

  std::array<std::int32_t, 11> DefaultGroupIDs{};

 private:
  bool Run(std::string_view statement);
  bool CreateTable(std::string_view table, std::string_view creation);
  bool FillDefaultGroups();
  bool FillDefaultExtensions();
  template <class Row>
  bool Load(std::string_view table, std::string_view select, std::vector<Row>& list,
            bool (*convert)(const TSQLite3::TSQLRow&, Row&));

  TSQLite3 Db;
  std::string Path;
  TMessageSink Messages;
};

// Doubles every apostrophe, as an SQL string literal needs.
[[nodiscard]] std::string QuoteSqlText(std::string_view text);

}  // namespace Vellumetric
