#include "filetypes/VLMOptions.h"

#include "filetypes/DefaultFileTypes.h"
#include "system/NumberText.h"

namespace Vellumetric {
namespace {

constexpr std::string_view kCreateGroups =
    "create table FileExtDesc (ID integer PRIMARY KEY ASC, desc text)";
constexpr std::string_view kCreateExtensions =
    "create table FileExt (ID integer PRIMARY KEY ASC, ext text, descID integer)";

// Whole decimal numbers only; anything else ends a load.
bool ToInt(const std::string& text, std::int32_t& out) {
  constexpr std::int32_t kNoValue = INT32_MIN;
  out = StrToIntDefault(text, kNoValue);
  return out != kNoValue || text == "-2147483648";
}

bool ToGroup(const TSQLite3::TSQLRow& row, TFileExtDescData& g) {
  return row.Count() >= 2 && ToInt(row[0].Value(), g.ID) && (g.Desc = row[1].Value(), true);
}

bool ToExtension(const TSQLite3::TSQLRow& row, TFileExtData& e) {
  std::int32_t ignored = 0;
  return row.Count() >= 3 && ToInt(row[0].Value(), ignored) && (e.Ext = row[1].Value(), true) &&
         ToInt(row[2].Value(), e.DescID);
}

}  // namespace

std::string QuoteSqlText(std::string_view text) {
  std::string out;
  for (const char c : text) {
    out.push_back(c);
    if (c == '\'') out.push_back('\'');
  }
  return out;
}

VLMOptions::VLMOptions(std::string path, TMessageSink messages)
    : Path(std::move(path)), Messages(std::move(messages)) {
  for (std::size_t i = 0; i < DefaultGroupIDs.size(); ++i) {
    DefaultGroupIDs[i] = static_cast<std::int32_t>(i);
  }
  if (!Db.Open(Path)) Messages(Db.LastError());
}

// A create, delete or reset: its failure shows SQLite's message and closes the connection.
bool VLMOptions::Run(std::string_view statement) {
  if (!Db.IsOpen()) return false;
  if (Db.Execute(statement)) return true;
  Messages(Db.LastError());
  Db.Close();
  return false;
}

bool VLMOptions::CreateTable(std::string_view table, std::string_view creation) {
  if (!Db.IsOpen()) return false;
  return Db.TableExists(table) || Run(creation);
}

bool VLMOptions::InsertGroup(std::int32_t id, std::string_view name) {
  if (!Db.IsOpen()) return false;
  const std::string statement = "insert into FileExtDesc (ID, desc) \t\t\tvalues (" +
                                std::to_string(id) + ", '" + QuoteSqlText(name) + "')";
  if (Db.Execute(statement)) return true;
  Messages(statement + " : " + Db.LastError());
  Db.Close();
  return false;
}

bool VLMOptions::InsertExtension(std::string_view extension, std::int32_t groupId) {
  if (!Db.IsOpen()) return false;
  const std::string statement = "insert into FileExt (ext, descID) \t\t\tvalues ('" +
                                QuoteSqlText(extension) + "'," + std::to_string(groupId) + ")";
  if (Db.Execute(statement)) return true;
  Messages(statement + " : " + Db.LastError());
  Db.Close();
  return false;
}

bool VLMOptions::DeleteGroup(std::int32_t id) {
  return Run("delete from FileExt where descID=" + std::to_string(id)) &&
         Run("delete from FileExtDesc where ID=" + std::to_string(id));
}

// Each reset and each filling with the defaults is one transaction. Statement by statement, every
// insert would be a commit of its own, with a journal written, synced and deleted a hundred times
// over on a first start. And a failure part way closes the connection, which takes the whole
// transaction back: the old rows stay, and no half-filled table is left to load next time.
bool VLMOptions::ResetGroups() {
  return Run("begin") && Run("delete from FileExtDesc") && FillDefaultGroups() && Run("commit");
}

bool VLMOptions::ResetExtensions() {
  return Run("begin") && Run("delete from FileExt") && FillDefaultExtensions() && Run("commit");
}

bool VLMOptions::CreateDefaultGroups() {
  return Run("begin") && FillDefaultGroups() && Run("commit");
}

bool VLMOptions::CreateDefaultExtensions() {
  return Run("begin") && FillDefaultExtensions() && Run("commit");
}

bool VLMOptions::FillDefaultGroups() {
  if (!CreateTable("FileExtDesc", kCreateGroups)) return false;
  const auto& names = DefaultGroupNames();
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (!InsertGroup(DefaultGroupIDs[i], names[i])) return false;
  }
  return true;
}

bool VLMOptions::FillDefaultExtensions() {
  if (!CreateTable("FileExt", kCreateExtensions)) return false;
  for (const TDefaultExtension& e : DefaultExtensions()) {
    if (!InsertExtension(e.Ext, DefaultGroupIDs[static_cast<std::size_t>(e.GroupIndex)])) {
      return false;
    }
  }
  return true;
}

// The select sorts descending and the rows are walked from the last, so the list ends up
// ascending. A failed select or a bad number ends the load quietly.
template <class Row>
bool VLMOptions::Load(std::string_view table, std::string_view select, std::vector<Row>& list,
                      bool (*convert)(const TSQLite3::TSQLRow&, Row&)) {
  if (!Db.IsOpen()) return false;
  if (!Db.TableExists(table)) {
    if (table == "FileExtDesc" ? !CreateDefaultGroups() : !CreateDefaultExtensions()) {
      list.clear();
      return false;
    }
  }
  list.clear();
  TSQLite3::TSQLRows rows;
  if (!Db.Select(select, rows)) {
    Db.Close();
    return false;
  }
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
    Row record;
    if (!convert(*it, record)) return false;
    list.push_back(std::move(record));
  }
  return true;
}

bool VLMOptions::LoadGroups(TFileExtDescList& groups) {
  return Load<TFileExtDescData>(
      "FileExtDesc", "select ID, desc from FileExtDesc order by desc desc", groups, ToGroup);
}

bool VLMOptions::LoadExtensions(TFileExtList& extensions) {
  return Load<TFileExtData>("FileExt", "select ID, ext, descID from FileExt order by ext desc",
                            extensions, ToExtension);
}

}  // namespace Vellumetric
