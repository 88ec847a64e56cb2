#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "TNtfsImage.h"
#include "TRecordingBridge.h"
#include "filetypes/DefaultFileTypes.h"
#include "scan/TVLMDiskAnalyzerThread.h"
#include "system/ntfs/NtfsVolumeSource.h"
#include "system/ntfs/TNtfsEngineLister.h"

namespace Vellumetric::Testing {

// An image read as a disk is on Windows: in large pieces, one ahead of the parsing, rather than
// block by block by the threads that parse them out of the system's cache.
class TDiskLikeSource final : public TNtfsByteSource {
 public:
  explicit TDiskLikeSource(std::unique_ptr<TNtfsByteSource> inner) : Inner(std::move(inner)) {}
  [[nodiscard]] bool ReadAt(std::uint64_t offset, void* buffer, std::size_t size,
                            std::string& error) override {
    return Inner->ReadAt(offset, buffer, size, error);
  }
  [[nodiscard]] std::uint64_t Size() const override { return Inner->Size(); }
  [[nodiscard]] std::size_t Alignment() const override { return Inner->Alignment(); }
  [[nodiscard]] bool CachedReads() const override { return false; }

 private:
  std::unique_ptr<TNtfsByteSource> Inner;
};

inline std::unique_ptr<TNtfsByteSource> OpenDiskLike(std::string_view root, std::string& reason) {
  std::unique_ptr<TNtfsByteSource> inner = OpenNtfsVolume(root, reason);
  return inner ? std::make_unique<TDiskLikeSource>(std::move(inner)) : nullptr;
}

// A scan of an image through the MFT engine, wired as the command line wires it: the ordinary
// scan worker over the engine's lister.
struct TNtfsScan {
  TRecordingBridge Bridge;
  TFolderTree Tree;
  TTypedFileList Typed;
  TBiggestFileList Biggest;
  TFileRecordStore Records;
  TUnreadableList Unreadable;
  TFileExtList Extensions = DefaultExtensionList();
  std::atomic<bool> Scanning{false};
  std::atomic<std::int32_t> Subfolders{0};
  std::shared_ptr<TScanEngineReport> Report = std::make_shared<TScanEngineReport>();

  void Run(const std::string& image, TNtfsEngineLister::TOpener open = OpenNtfsVolume) {
    auto lister = std::make_unique<TNtfsEngineLister>(TScanEngineChoice::Mft, std::move(open),
                                                      nullptr, TPathStyle::Posix, Report);
    TVLMDiskAnalyzerThread thread(Bridge, std::move(lister));
    thread.Roots = {image};
    thread.FolderTree = &Tree;
    thread.ProgressBar = &Bridge;
    thread.SubfolderCount = &Subfolders;
    thread.RootsAreDrives = true;
    thread.Scanning = &Scanning;
    thread.TypedFiles = &Typed;
    thread.Extensions = &Extensions;
    thread.BiggestFiles = &Biggest;
    thread.FileRecords = &Records;
    thread.Unreadable = &Unreadable;
    thread.Resume();
    thread.WaitFor();
    Prefix = image.size() + 1;
  }

  // Totals per folder, by path relative to the root ("" for the root).
  [[nodiscard]] std::map<std::string, TFolderTotals> Totals() const {
    std::map<std::string, TFolderTotals> out;
    WalkNodes(Tree.FirstChild(NoNode), out);
    return out;
  }
  // On disk per folder, by path relative to the root.
  [[nodiscard]] std::map<std::string, std::uint64_t> DiskTotals() const {
    std::map<std::string, std::uint64_t> out;
    std::vector<TNodeId> stack{Tree.FirstChild(NoNode)};
    while (!stack.empty()) {
      const TNodeId node = stack.back();
      stack.pop_back();
      if (node == NoNode) continue;
      out[Relative(Tree.Data(node).Path.Str())] = Tree.Data(node).DiskSize;
      for (TNodeId c = Tree.FirstChild(node); c != NoNode; c = Tree.NextSibling(c)) {
        stack.push_back(c);
      }
    }
    return out;
  }
  // Every file's path and size, in the order the scan met them.
  [[nodiscard]] std::vector<std::pair<std::string, std::uint64_t>> Files() const {
    std::vector<std::pair<std::string, std::uint64_t>> files;
    for (TFileId id = 0; id < Records.Count(); ++id) {
      const TFileRecord r = Records.Record(id);
      const std::string folder = Relative(Tree.Data(r.Folder).Path.Str());
      files.emplace_back((folder.empty() ? "" : folder + "/") + std::string(Records.Name(id)),
                         r.Size);
    }
    return files;
  }

 private:
  [[nodiscard]] std::string Relative(const std::string& path) const {
    return path.size() <= Prefix ? std::string() : path.substr(Prefix);
  }
  void WalkNodes(TNodeId node, std::map<std::string, TFolderTotals>& out) const {
    if (node == NoNode) return;
    const TFolderData& d = Tree.Data(node);
    out[Relative(d.Path.Str())] = {d.Size, d.FileCount, d.FolderCount};
    for (TNodeId c = Tree.FirstChild(node); c != NoNode; c = Tree.NextSibling(c)) {
      WalkNodes(c, out);
    }
  }

  std::size_t Prefix = 0;
};

}  // namespace Vellumetric::Testing
