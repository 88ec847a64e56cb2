#pragma once

#include <cstdint>
#include <random>
#include <string>

#include "Numbered.h"
#include "model/TFileRecordStore.h"
#include "model/TFolderData.h"

namespace Vellumetric::Testing {

// A scan's folder tree and file records, made up in memory.
struct TTestScan {
  TFolderTree Tree;
  TFileRecordStore Files;

  TNodeId Folder(TNodeId parent, const std::string& name) {
    TFolderData d;
    d.Path = parent == NoNode ? TPathText("/" + name, 1)
                              : TPathText::Child(Tree.Data(parent).Path, "/", name);
    return Tree.AddChild(parent, std::move(d));
  }
  TFileId File(TNodeId folder, const std::string& name, std::uint64_t size, int group = -1,
               std::uint64_t disk = 0) {
    return Files.Add(folder, name, size, group, 0, {disk, 0});
  }
};

// A random tree: `folders` folders, each under a random earlier one, and `files` files with sizes
// spread over six orders of magnitude (some empty), in random folders. What a file takes on disk
// has nothing to do with its size (up to 500 KiB in whole blocks, some none), so a map by the
// one measure differs from a map by the other. mt19937 is the same everywhere, so a seed gives
// the same tree on every machine.
inline void MakeRandomScan(TTestScan& scan, unsigned seed, int folders, int files) {
  std::mt19937 rng(seed);
  scan.Folder(NoNode, "root");
  for (int i = 1; i < folders; ++i) {
    scan.Folder(static_cast<TNodeId>(rng() % static_cast<unsigned>(i)), Numbered("d", i));
  }
  for (int i = 0; i < files; ++i) {
    const auto folder = static_cast<TNodeId>(rng() % static_cast<unsigned>(folders));
    std::uint64_t size = 1;
    for (unsigned digits = rng() % 7; digits > 0; --digits) size *= 10;
    size = rng() % 20 == 0 ? 0 : size + rng() % size;
    const std::uint64_t disk = (static_cast<std::uint64_t>(i) * 2654435761u % 1000) * 512;
    scan.File(folder, Numbered("f", i), size, static_cast<int>(rng() % 12) - 1, disk);
  }
}

}  // namespace Vellumetric::Testing
