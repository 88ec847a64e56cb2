#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "TTempDir.h"

namespace Vellumetric::Testing {

// One name as a listing of an image reports it.
struct TImageName {
  char Kind = 'f';   // 'f' file, 'd' folder
  std::string Path;  // relative to the root, '/' between parts
  std::uint64_t Size = 0;
  std::uint64_t Disk = 0;     // clusters of the unnamed data stream, in bytes
  std::uint64_t Record = 0;   // MFT record number
  std::uint64_t Streams = 0;  // clusters of the named data streams, in bytes
};

// Totals of one folder: every depth below it.
struct TFolderTotals {
  std::uint64_t Size = 0;
  std::uint64_t Files = 0;
  std::uint64_t Folders = 0;
  bool operator==(const TFolderTotals&) const = default;
};

// An NTFS image made at test time with mkntfs and filled by ntfs-image-tool (libntfs-3g), with
// two independent truths about it: the list of what the script asked for, kept here as the
// script is written, and the library's own directory walk of the image after filling it.
class TNtfsImage {
 public:
  // Whether mkntfs and the tool are there; when not, says why in `reason`.
  [[nodiscard]] static bool Available(std::string& reason);

  // `clusterBytes`: 0 for mkntfs's own choice (4 KiB).
  explicit TNtfsImage(std::uint64_t megabytes = 2048, std::uint32_t clusterBytes = 0);

  // Script commands; each also updates the expected list.
  void Dir(const std::string& path);
  void File(const std::string& path, std::uint64_t size);
  void Sparse(const std::string& path, std::uint64_t offset, std::uint64_t length);
  void Link(const std::string& existing, const std::string& path);
  void Stream(const std::string& path, const std::string& name, std::uint64_t size);
  void DosName(const std::string& path, const std::string& shortName);
  void Compress(const std::string& folder);
  void Delete(const std::string& path);
  void Many(const std::string& folder, int count, std::uint64_t size, const std::string& prefix);
  void Raw(const std::string& line) { Script += line + "\n"; }

  // Makes the image and runs the script; false, with the tool's words, when either fails.
  [[nodiscard]] bool Build(std::string& error);
  // Runs the library's walk again (after the test changed the image, for example).
  [[nodiscard]] bool Walk(std::string& error);

  [[nodiscard]] const std::string& Path() const noexcept { return Image; }
  [[nodiscard]] const std::string& Folder() const noexcept { return Dir_.Path(); }
  // What the script made: the names still there, the folders first.
  [[nodiscard]] const std::map<std::string, TImageName>& Expected() const { return Made; }
  // The library's walk, in its order: depth first, each folder's names as its readdir gives them.
  [[nodiscard]] const std::vector<TImageName>& Library() const { return Walked; }

  // Totals per folder ("" is the root) of a list of names.
  [[nodiscard]] static std::map<std::string, TFolderTotals> Totals(
      const std::vector<TImageName>& names);
  [[nodiscard]] std::vector<TImageName> ExpectedList() const;
  // On disk per folder of a list that holds every name and the root, as du counts it: each
  // file's clusters once, every folder's own; only for the folders that no hard link crosses
  // (whose every multi-name file has all its names inside or none), where the total does not
  // depend on which name was met first.
  [[nodiscard]] static std::map<std::string, std::uint64_t> DiskTotals(
      const std::vector<TImageName>& names);

 private:
  TTempDir Dir_;
  std::string Image;
  std::uint64_t Megabytes;
  std::uint32_t ClusterBytes;
  std::string Script;
  std::map<std::string, TImageName> Made;
  std::vector<TImageName> Walked;
};

// The tool, built with the tests.
extern const char* const kNtfsImageTool;

}  // namespace Vellumetric::Testing
