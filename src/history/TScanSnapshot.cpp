#include "history/TScanSnapshot.h"

#include <chrono>
#include <filesystem>
#include <system_error>
#include <utility>

#include "system/TextEncoding.h"

namespace Vellumetric {

void TScanSnapshot::AddFolder(std::uint32_t parent, std::string_view name, std::uint64_t size,
                              std::uint32_t files, std::uint32_t folders) {
  Folders.push_back({parent, static_cast<std::uint32_t>(Names.size()), files, folders, size});
  Names += name;
}

namespace {

// The length of every name below `top` together, so the snapshot's one string of names is
// allocated once at its final size: grown by doubling and then shrunk, it held up to three times
// the names at once, in the busiest moment of a scan's end.
std::size_t NamesLength(const TFolderTree& tree, TNodeId top) {
  std::size_t total = 0;
  std::vector<TNodeId> stack;
  for (TNodeId c = tree.FirstChild(top); c != NoNode; c = tree.NextSibling(c)) stack.push_back(c);
  while (!stack.empty()) {
    const TNodeId node = stack.back();
    stack.pop_back();
    total += tree.Data(node).Name().size();
    for (TNodeId c = tree.FirstChild(node); c != NoNode; c = tree.NextSibling(c)) {
      stack.push_back(c);
    }
  }
  return total;
}

}  // namespace

TScanSnapshot MakeScanSnapshot(const TFolderTree& tree, const std::string& root, bool asDrive,
                               std::int64_t started, std::int64_t finished,
                               std::vector<TNodeId>* nodes) {
  TScanSnapshot snap;
  snap.Root = NormalizeScanRoot(root);
  snap.Mode = asDrive ? FolderKindDrive : FolderKindFolder;
  snap.Started = started;
  snap.Finished = finished;
  if (nodes) nodes->clear();
  const TNodeId top = tree.FirstChild(NoNode);
  if (top == NoNode) return snap;
  const TFolderData& r = tree.Data(top);
  snap.Size = r.Size;
  snap.Files = r.FileCount;
  snap.FolderCount = r.FolderCount;
  // The walk marks every folder it could not list and counts them on each ancestor.
  snap.Unreadable = r.UnreadableBelow + (r.ReadError != 0 ? 1u : 0u);
  snap.Folders.reserve(static_cast<std::size_t>(r.FolderCount) + 1);
  snap.Names.reserve(NamesLength(tree, top));
  if (nodes) nodes->reserve(snap.Folders.capacity());
  // Explicit stack of (node, its index in the snapshot): trees thousands of levels deep must
  // not overflow the call stack.
  std::vector<std::pair<TNodeId, std::uint32_t>> stack{{top, NoNode}};
  while (!stack.empty()) {
    const auto [node, parent] = stack.back();
    stack.pop_back();
    const TFolderData& d = tree.Data(node);
    const auto index = static_cast<std::uint32_t>(snap.Folders.size());
    snap.AddFolder(parent, node == top ? std::string_view() : d.Name(), d.Size, d.FileCount,
                   d.FolderCount);
    if (nodes) nodes->push_back(node);
    for (TNodeId c = tree.FirstChild(node); c != NoNode; c = tree.NextSibling(c)) {
      stack.push_back({c, index});
    }
  }
  return snap;
}

TScanSnapshot ScanHeader(const TScanSnapshot& scan) {
  TScanSnapshot header;
  header.Id = scan.Id;
  header.Root = scan.Root;
  header.Mode = scan.Mode;
  header.Started = scan.Started;
  header.Finished = scan.Finished;
  header.Size = scan.Size;
  header.Files = scan.Files;
  header.FolderCount = scan.FolderCount;
  header.Unreadable = scan.Unreadable;
  return header;
}

std::int64_t SecondsSinceEpoch() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

std::string NormalizeScanRoot(const std::string& path) {
  const std::filesystem::path given = Utf8Path(path);
  std::error_code ec;
  std::filesystem::path full = std::filesystem::canonical(given, ec);
  if (ec) {
    full = std::filesystem::absolute(given, ec);
    if (ec) return path;
    full = full.lexically_normal();
  }
  const std::u8string wide = full.u8string();
  std::string text(wide.begin(), wide.end());
  while (text.size() > 1 && (text.back() == '/' || text.back() == '\\') &&
         text[text.size() - 2] != ':') {
    text.pop_back();
  }
  return text;
}

}  // namespace Vellumetric
