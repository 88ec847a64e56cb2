#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "model/TFileExtData.h"
#include "model/TFileExtDescData.h"

namespace Vellumetric {

// Opens the group database (creating it with the default groups on first use, which writes and
// syncs the file once per row) and reads the group and extension lists on a thread of its own,
// so that no front end waits for the disk at start-up. Whoever needs the lists first takes them;
// later takers get nothing. Destroying the loader waits for its thread.
class TGroupListLoader {
 public:
  explicit TGroupListLoader(std::string databasePath);
  ~TGroupListLoader();
  TGroupListLoader(const TGroupListLoader&) = delete;
  TGroupListLoader& operator=(const TGroupListLoader&) = delete;

  [[nodiscard]] bool Done() const noexcept { return Finished.load(std::memory_order_acquire); }
  // Waits for the load, then moves the lists and the database's messages out, the first time
  // only. False when another call took them already (the arguments are left as they were).
  bool Take(TFileExtDescList& groups, TFileExtList& extensions, std::vector<std::string>& messages);

 private:
  void Load(const std::string& path);

  std::mutex Lock;  // guards the taking
  bool Taken = false;
  TFileExtDescList Groups;
  TFileExtList Extensions;
  std::vector<std::string> Messages;
  std::atomic<bool> Finished{false};
  std::thread Worker;  // last: it starts once everything above exists
};

}  // namespace Vellumetric
