#include "find/TFileQuery.h"

#include <algorithm>
#include <utility>

#include "find/TGlobPattern.h"

namespace Vellumetric {
namespace {

constexpr std::size_t kStopPollInterval = 8192;
constexpr std::int64_t kSecondsPerDay = 86400;

// Largest first; only the runs of equal sizes need their paths spelled out to be put in order.
void Order(std::vector<TFoundFile>& found, const TFileRecordStore& files, const TFolderTree& tree,
           TPathStyle style, TMeasure m) {
  std::sort(found.begin(), found.end(),
            [m](const TFoundFile& a, const TFoundFile& b) { return a.Bytes(m) > b.Bytes(m); });
  std::vector<std::pair<std::string, TFoundFile>> run;
  for (std::size_t begin = 0; begin < found.size();) {
    std::size_t end = begin + 1;
    while (end < found.size() && found[end].Bytes(m) == found[begin].Bytes(m)) ++end;
    if (end - begin > 1) {
      run.clear();
      for (std::size_t i = begin; i < end; ++i) {
        run.emplace_back(FoundFilePath(files, tree, style, found[i].Id), found[i]);
      }
      std::sort(run.begin(), run.end(),
                [](const auto& a, const auto& b) { return a.first < b.first; });
      for (std::size_t i = begin; i < end; ++i) found[i] = run[i - begin].second;
    }
    begin = end;
  }
}

// The filters of a time range and of an extension.
bool InTimeAndExtension(const TFileRecordStore& files, TFileId id, const TFileQuery& query,
                        TPathStyle style) {
  if (query.Time != TFileQuery::TTime::None) {
    const std::int64_t t =
        query.Time == TFileQuery::TTime::Access ? files.LastAccess(id) : files.LastChange(id);
    if (t == TFileRecordStore::NoAccessTime || t < query.TimeFrom || t >= query.TimeBefore) {
      return false;
    }
  }
  return query.Extension.empty() ||
         EqualsIgnoreAsciiCase(VersionedExtension(style, files.Name(id)), query.Extension);
}

TFindResult Stopped() {
  TFindResult result;
  result.Stopped = true;
  return result;
}

}  // namespace

TFindResult FindFiles(const TFileRecordStore& files, const TFolderTree& tree, TPathStyle style,
                      const TFileQuery& query, const std::atomic<bool>* stop) {
  TFindResult result;
  const TGlobPattern pattern(query.Name);
  const bool anyName = query.Name.empty();
  const bool byAccess = query.OlderThanDays >= 0;
  const std::int64_t accessedBy = query.Now - std::int64_t{query.OlderThanDays} * kSecondsPerDay;
  std::vector<TFoundFile> matches;
  const std::size_t count = files.Count();
  for (std::size_t i = 0; i < count; ++i) {
    if (i % kStopPollInterval == 0 && stop && stop->load(std::memory_order_relaxed)) {
      return Stopped();
    }
    const auto id = static_cast<TFileId>(i);
    const TFileRecord& r = files.Record(id);
    if (r.Folder == NoNode) continue;  // removed by a folder scanned again
    const std::uint64_t bytes = r.Bytes(query.Measure);
    if (bytes < query.MinSize || bytes > query.MaxSize) continue;
    if (query.Group != TFileQuery::AnyGroup && r.Group != query.Group) continue;
    if (byAccess) {
      const std::int64_t access = files.LastAccess(id);
      if (access == TFileRecordStore::NoAccessTime || access > accessedBy) continue;
    }
    if (!InTimeAndExtension(files, id, query, style)) continue;
    if (!anyName && !pattern.Matches(files.Name(id))) continue;
    ++result.Count;
    result.Bytes += r.Size;
    result.DiskBytes += r.DiskSize;
    matches.push_back({id, r.Size, r.DiskSize});
  }
  const TMeasure m = query.Measure;
  result.Measure = m;
  if (query.Top > 0 && matches.size() > query.Top) {
    // The Top-th largest decides: everything above it is kept, and of the files of exactly
    // that size only as many as fit, by path.
    const auto larger = [m](const TFoundFile& a, const TFoundFile& b) {
      return a.Bytes(m) > b.Bytes(m);
    };
    const auto nth = matches.begin() + static_cast<std::ptrdiff_t>(query.Top - 1);
    std::nth_element(matches.begin(), nth, matches.end(), larger);
    const std::uint64_t edge = nth->Bytes(m);
    matches.erase(std::remove_if(matches.begin(), matches.end(),
                                 [edge, m](const TFoundFile& f) { return f.Bytes(m) < edge; }),
                  matches.end());
  }
  if (stop && stop->load(std::memory_order_relaxed)) return Stopped();
  Order(matches, files, tree, style, m);
  result.Files = std::move(matches);
  if (query.Top > 0 && result.Files.size() > query.Top) result.Files.resize(query.Top);
  return result;
}

std::string FoundFilePath(const TFileRecordStore& files, const TFolderTree& tree, TPathStyle style,
                          TFileId id) {
  const TPathText& folder = tree.Data(files.Record(id).Folder).Path;
  std::string path = folder.Str();
  path += ChildSeparator(style, folder.Back());
  path += files.Name(id);
  return path;
}

}  // namespace Vellumetric
