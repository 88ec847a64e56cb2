#include "filetypes/TGroupListLoader.h"

#include <utility>

#include "filetypes/VLMOptions.h"

namespace Vellumetric {

TGroupListLoader::TGroupListLoader(std::string databasePath)
    : Worker([this, path = std::move(databasePath)] { Load(path); }) {}

TGroupListLoader::~TGroupListLoader() {
  if (Worker.joinable()) Worker.join();
}

void TGroupListLoader::Load(const std::string& path) {
  try {
    VLMOptions db(path, [this](const std::string& m) { Messages.push_back(m); });
    static_cast<void>(db.LoadGroups(Groups));
    static_cast<void>(db.LoadExtensions(Extensions));
  } catch (...) {
    // Out of memory: the lists stay as far as they were read, as a failed select leaves them.
  }
  Finished.store(true, std::memory_order_release);
}

bool TGroupListLoader::Take(TFileExtDescList& groups, TFileExtList& extensions,
                            std::vector<std::string>& messages) {
  std::lock_guard<std::mutex> guard(Lock);
  if (Taken) return false;
  if (Worker.joinable()) Worker.join();
  Taken = true;
  groups = std::move(Groups);
  extensions = std::move(Extensions);
  messages = std::move(Messages);
  return true;
}

}  // namespace Vellumetric
