#include "ui/dialogs/options/TGroupDatabaseWriter.h"

#include <set>

namespace Vellumetric {

TGroupDatabaseWriter::TGroupDatabaseWriter(TFileExtDescList& groups, TFileExtList& extensions,
                                           std::string databasePath, TMessageSink messages)
    : Groups(groups),
      Extensions(extensions),
      DatabasePath(std::move(databasePath)),
      Messages(std::move(messages)) {}

void TGroupDatabaseWriter::RemoveGroup(std::size_t index) {
  const std::int32_t id = Groups[index].ID;
  {
    VLMOptions db(DatabasePath, Messages);
    static_cast<void>(db.DeleteGroup(id));
  }
  Groups.erase(Groups.begin() + static_cast<std::ptrdiff_t>(index));
  std::erase_if(Extensions, [&](const TFileExtData& e) { return e.DescID == id; });
}

void TGroupDatabaseWriter::AddGroup(const std::string& name,
                                    const std::vector<std::string>& extensions) {
  VLMOptions db(DatabasePath, Messages);
  std::set<std::int32_t> used;
  for (const TFileExtDescData& g : Groups) used.insert(g.ID);
  std::int32_t id = 0;
  while (used.count(id)) ++id;
  static_cast<void>(db.InsertGroup(id, name));
  Groups.push_back({id, name});
  for (const std::string& ext : extensions) {
    static_cast<void>(db.InsertExtension(ext, id));
    Extensions.push_back({ext, id});
  }
}

bool TGroupDatabaseWriter::ReplaceGroup(std::int32_t index, const std::string& name,
                                        const std::vector<std::string>& extensions) {
  VLMOptions db(DatabasePath, Messages);
  if (index < 0 || static_cast<std::size_t>(index) >= Groups.size()) return false;
  TFileExtDescData& group = Groups[static_cast<std::size_t>(index)];
  const std::int32_t id = group.ID;
  if (db.DeleteGroup(id)) static_cast<void>(db.InsertGroup(id, name));
  std::erase_if(Extensions, [id](const TFileExtData& e) { return e.DescID == id; });
  for (const std::string& ext : extensions) {
    static_cast<void>(db.InsertExtension(ext, id));
    Extensions.push_back({ext, id});
  }
  group.Desc = name;
  return true;
}

void TGroupDatabaseWriter::ResetToDefaults() {
  VLMOptions db(DatabasePath, Messages);
  static_cast<void>(db.ResetGroups());
  static_cast<void>(db.LoadGroups(Groups));
  static_cast<void>(db.ResetExtensions());
  static_cast<void>(db.LoadExtensions(Extensions));
}

}  // namespace Vellumetric
