#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "filetypes/VLMOptions.h"
#include "model/TFileExtData.h"
#include "model/TFileExtDescData.h"

namespace Vellumetric {

// The options dialog's writes. Every change goes to the group database at once (one VLMOptions
// per change) and to the two lists the dialog edits in place, which the next scan uses. A
// database failure is shown through `messages` and the lists take the change all the same.
class TGroupDatabaseWriter {
 public:
  TGroupDatabaseWriter(TFileExtDescList& groups, TFileExtList& extensions, std::string databasePath,
                       TMessageSink messages);

  // Removes the group at `index` of the group list and its extensions.
  void RemoveGroup(std::size_t index);
  // A new group under the lowest free id, appended to the group list.
  void AddGroup(const std::string& name, const std::vector<std::string>& extensions);
  // Renames the group at `index` and replaces its extensions; false, with nothing changed, when
  // there is no such group.
  [[nodiscard]] bool ReplaceGroup(std::int32_t index, const std::string& name,
                                  const std::vector<std::string>& extensions);
  // The database in use lives in the data folder; a reset rebuilds it and both lists from the
  // defaults. (No file outside the data folder is deleted.)
  void ResetToDefaults();

 private:
  TFileExtDescList& Groups;
  TFileExtList& Extensions;
  std::string DatabasePath;
  TMessageSink Messages;
};

}  // namespace Vellumetric
