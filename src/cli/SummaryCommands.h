#pragma once

#include <string>

#include "model/TFileExtData.h"
#include "model/TFileExtDescData.h"
#include "system/TApplicationInfo.h"

namespace Vellumetric {

// The program's data folder and group lists, set up as the desktop program does at start-up.
struct TCliContext {
  TApplicationInfo Info;
  bool HasDataFolder = false;
  TFileExtDescList Groups;
  TFileExtList Extensions;
};

// Sets up the data folder and loads the group database. When the data folder cannot be made the
// message goes to stderr and the built-in default lists are used (nothing can be saved then).
void PrepareCliContext(TCliContext& context);

// `open FILE [--json]`: FILE is a path, or a name in the Backup folder (".sbf" may be left out).
int RunOpenCommand(const std::string& file, bool json);
// `groups`: each group as the options dialog lists it, "Font Files (*.fnt, *.fon, ...)".
int RunGroupsCommand();

}  // namespace Vellumetric
