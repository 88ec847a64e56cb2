// Scans ROOT once, then scans each FOLDER below it again on its own, and prints what the refresh
// costs beside a full scan of ROOT and du -s of the folder, measured in the same run.
//   vellumetric-refresh-bench ROOT FOLDER...
#include <chrono>
#include <cstdio>
#include <string>

#include "cli/TCliSession.h"
#include "filetypes/DefaultFileTypes.h"

using namespace Vellumetric;

namespace {

double Since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double TimeCommand(const std::string& command) {
  const auto start = std::chrono::steady_clock::now();
  if (std::system(command.c_str()) != 0) return -1;
  return Since(start);
}

TNodeId FindFolder(const TFolderTree& tree, const std::string& path) {
  for (TNodeId n = 0; n < tree.Count(); ++n) {
    if (tree.Data(n).Path.Str() == path) return n;
  }
  return NoNode;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s ROOT FOLDER...\n", argv[0]);
    return 2;
  }
  const std::string root = argv[1];
  TCliSession session(DefaultGroupList(), DefaultExtensionList(), false);
  auto start = std::chrono::steady_clock::now();
  if (!session.Scan(root, false)) return 1;
  const double full = Since(start);
  const TFolderData& top = session.Tree().Data(session.Tree().FirstChild(NoNode));
  const std::uint64_t entries = top.FileCount + top.FolderCount;
  std::printf("full scan of %s: %llu entries, %.2f s\n", root.c_str(),
              static_cast<unsigned long long>(entries), full);
  std::printf("%-28s %10s %9s %9s %9s %9s %9s %10s %10s\n", "folder", "entries", "walk s",
              "splice s", "refill s", "total s", "du -s s", "total/du", "total/full");
  for (int i = 2; i < argc; ++i) {
    const std::string folder = argv[i];
    const TNodeId node = FindFolder(session.Tree(), folder);
    if (node == NoNode) {
      std::fprintf(stderr, "%s is not a folder of the scan\n", folder.c_str());
      return 1;
    }
    const TFolderData& d = session.Tree().Data(node);
    const std::uint64_t below = d.FileCount + d.FolderCount;
    const double du = TimeCommand("du -s '" + folder + "' >/dev/null");
    TRefreshSeconds parts;
    start = std::chrono::steady_clock::now();
    if (!session.Refresh(node, 0, &parts)) return 1;
    const double total = Since(start);
    std::printf("%-28s %10llu %9.3f %9.3f %9.3f %9.3f %9.3f %10.2f %10.4f\n",
                folder.substr(folder.size() > 28 ? folder.size() - 28 : 0).c_str(),
                static_cast<unsigned long long>(below), parts.Walk, parts.Splice, parts.Refill,
                total, du, total / du, total / full);
  }
  return 0;
}
