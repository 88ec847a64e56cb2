#pragma once

#include <atomic>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "model/TFileRecordStore.h"
#include "model/TFolderData.h"
#include "system/PathRules.h"

namespace Vellumetric {

// What to look for among a scan's file records. Every filter that is set must hold.
struct TFileQuery {
  static constexpr std::int32_t AnyGroup = -2;

  std::string Name;  // a TGlobPattern; empty for any name
  std::uint64_t MinSize = 0;
  std::uint64_t MaxSize = std::numeric_limits<std::uint64_t>::max();
  // A group id, TFileRecordStore::NoGroup for the files in no group, or AnyGroup.
  std::int32_t Group = AnyGroup;
  // Last accessed at least this many whole days (of 86,400 s) before Now; -1 for any time. A
  // file without a known last access never matches.
  std::int32_t OlderThanDays = -1;
  std::int64_t Now = 0;  // seconds since 1970 (UTC): the caller's clock, read once
  std::size_t Top = 0;   // the largest matches to keep; 0 keeps them all
  // What MinSize and MaxSize bound and what "largest" means: the bytes a file holds, or those
  // it takes on disk.
  TMeasure Measure = TMeasure::Size;
  // An extension with its dot (".so"), ASCII case ignored, where a name ending in version
  // numbers counts under the extension before them (VersionedExtension: "libc.so.6" is a
  // ".so"); empty for any.
  std::string Extension;
  // Last accessed, or last changed, in [TimeFrom, TimeBefore) (seconds since 1970); a file
  // without that time never matches.
  enum class TTime { None, Access, Change };
  TTime Time = TTime::None;
  std::int64_t TimeFrom = 0;
  std::int64_t TimeBefore = 0;
};

struct TFoundFile {
  TFileId Id = NoFile;
  std::uint64_t Size = 0;
  std::uint64_t DiskSize = 0;

  [[nodiscard]] std::uint64_t Bytes(TMeasure measure) const noexcept {
    return measure == TMeasure::Disk ? DiskSize : Size;
  }
};

struct TFindResult {
  // Largest first by the query's measure, equal ones by path (byte order). Paths are spelled out
  // only where the order needs them: a list shows a few rows at a time, and FoundFilePath gives
  // each on demand.
  std::vector<TFoundFile> Files;
  std::uint64_t Count = 0;      // every match, also those beyond Top
  std::uint64_t Bytes = 0;      // their total size
  bool Stopped = false;         // the stop flag was seen: nothing else is valid
  std::uint64_t DiskBytes = 0;  // what they take on disk
  TMeasure Measure = TMeasure::Size;
};

// Runs `query` over the file records of a finished scan (`tree` is the scan's folder tree). Safe
// on a worker thread while nothing writes the records; `stop` is polled, so an interface can
// abandon a query the user has already replaced.
[[nodiscard]] TFindResult FindFiles(const TFileRecordStore& files, const TFolderTree& tree,
                                    TPathStyle style, const TFileQuery& query,
                                    const std::atomic<bool>* stop = nullptr);

// A found file's path: its folder's path joined with its name, as the scan spelled them.
[[nodiscard]] std::string FoundFilePath(const TFileRecordStore& files, const TFolderTree& tree,
                                        TPathStyle style, TFileId id);

}  // namespace Vellumetric
