#include "duplicates/TDuplicateSearch.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <unordered_map>
#include <unordered_set>

#include "duplicates/FirstPieces.h"
#include "duplicates/PathOrder.h"
#include "duplicates/TFileNames.h"
#include "duplicates/TFolderMatcher.h"
#include "duplicates/TSizeClassMatcher.h"
#include "system/NativePlatform.h"

namespace Vellumetric {
namespace {

// Readers of a solid-state disk: enough requests in flight to keep it busy while one is hashed.
constexpr int kSolidStateReaders = 4;

struct TSizeClass {
  std::uint64_t Size = 0;
  std::size_t First = 0;  // in the candidates' ids
  std::size_t Count = 0;
};

// The files to compare, largest first (the most space to gain, should the user cancel), grouped
// by size; a size only one file has is passed over.
struct TCandidates {
  std::vector<TFileId> Ids;
  std::vector<TSizeClass> Classes;
  std::uint64_t Bytes = 0;
};

// A cloud file whose bytes are only online is never read (that would download it): the scan
// marks it, and it is counted aside.
TCandidates Gather(const TFileRecordStore& files, std::uint64_t minSize,
                   const TFolderMatcher* folders, TMatchFindings& online) {
  std::vector<std::pair<std::uint64_t, TFileId>> sized;
  for (TFileId f = 0; f < files.Count(); ++f) {
    const std::uint64_t size = files.Record(f).Size;
    if (size == 0 || files.Removed(f) || (size < minSize && !(folders && folders->MustCompare(f))))
      continue;
    if ((files.DiskFlags(f) & DiskOnlineOnly) != 0) {
      online.NotCompared.push_back(f);
      ++online.OnlineOnly;
      continue;
    }
    sized.emplace_back(size, f);
  }
  std::sort(sized.begin(), sized.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first > b.first : a.second < b.second;
  });
  TCandidates c;
  for (std::size_t i = 0; i < sized.size();) {
    std::size_t j = i;
    while (j < sized.size() && sized[j].first == sized[i].first) ++j;
    if (j - i >= 2) {
      c.Classes.push_back({sized[i].first, c.Ids.size(), j - i});
      for (std::size_t k = i; k < j; ++k) c.Ids.push_back(sized[k].second);
      c.Bytes += sized[i].first * (j - i);
    }
    i = j;
  }
  return c;
}

// Reading order for the first pieces: folder by folder, each folder's files in the scan's order.
std::vector<std::uint32_t> FolderOrder(const TFileRecordStore& files, const TCandidates& c) {
  std::vector<std::uint32_t> order(c.Ids.size());
  for (std::uint32_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
    const TNodeId fa = files.Record(c.Ids[a]).Folder;
    const TNodeId fb = files.Record(c.Ids[b]).Folder;
    return fa != fb ? fa < fb : c.Ids[a] < c.Ids[b];
  });
  return order;
}

void NotRead(TFileId file, TOpenOutcome why, TMatchFindings& found) {
  found.NotCompared.push_back(file);
  if (why == TOpenOutcome::OnlineOnly) {
    ++found.OnlineOnly;
  } else if (why != TOpenOutcome::NotRegular) {
    ++found.LeftOut;
  }
}

// The files of one size that share their first piece with another: the classes left for the
// matchers, which read them again from the start. The others are done with.
TCandidates ByFirstPiece(const TCandidates& c, const std::vector<TFirstPiece>& pieces,
                         TDuplicateProgress& progress, TMatchFindings& found) {
  TCandidates next;
  std::vector<std::pair<THash128, std::size_t>> keyed;
  const auto done = [&](std::uint64_t size, const TFirstPiece& p) {
    progress.BytesToRead.fetch_sub(size - p.Read, std::memory_order_relaxed);
  };
  for (const TSizeClass& k : c.Classes) {
    keyed.clear();
    for (std::size_t i = k.First; i < k.First + k.Count; ++i) {
      if (pieces[i].Outcome == TOpenOutcome::Opened) {
        keyed.emplace_back(pieces[i].Hash, i);
      } else {
        NotRead(c.Ids[i], pieces[i].Outcome, found);
        done(k.Size, pieces[i]);
      }
    }
    std::sort(keyed.begin(), keyed.end());
    for (std::size_t i = 0; i < keyed.size();) {
      std::size_t j = i;
      while (j < keyed.size() && keyed[j].first == keyed[i].first) ++j;
      if (j - i < 2) {
        done(k.Size, pieces[keyed[i].second]);
      } else {
        next.Classes.push_back({k.Size, next.Ids.size(), j - i});
        for (std::size_t m = i; m < j; ++m) {
          next.Ids.push_back(c.Ids[keyed[m].second]);
          progress.BytesToRead.fetch_add(pieces[keyed[m].second].Read, std::memory_order_relaxed);
        }
      }
      i = j;
    }
  }
  return next;
}

std::string FilePath(const TFileRecordStore& files, const TFolderTree& tree, TPathStyle style,
                     TFileId id) {
  const TPathText& folder = tree.Data(files.Record(id).Folder).Path;
  std::string path = folder.Str();
  path += ChildSeparator(style, folder.Back());
  path += files.Name(id);
  return path;
}

// Runs the matchers over the size classes, `readers` of them at once. False when stopped.
bool MatchAll(const TCandidates& c, int readers, bool background, const TMatchSettings& settings,
              TContentSource& source, TDuplicateProgress& progress,
              const std::function<bool()>& stopRequested, const TSizeClassMatcher::TPathOf& pathOf,
              std::vector<TMatchFindings>& findings) {
  std::atomic<std::size_t> next{0};
  std::atomic<bool> stopped{false};
  const auto stop = [&] { return stopped.load(std::memory_order_relaxed) || stopRequested(); };
  findings.resize(static_cast<std::size_t>(readers));
  const auto work = [&](std::size_t w) {
    if (background) LowerThisThreadPriority();
    try {
      TSizeClassMatcher matcher(source, settings, progress, stop, pathOf, findings[w]);
      for (std::size_t i; (i = next.fetch_add(1)) < c.Classes.size();) {
        const TSizeClass& k = c.Classes[i];
        if (!matcher.Match(k.Size, {c.Ids.data() + k.First, k.Count})) break;
      }
    } catch (...) {
      // Out of memory: what was found stands, like a cancel.
    }
    if (next.load() < c.Classes.size() || stop()) stopped.store(true);
  };
  std::vector<std::jthread> others;
  for (int w = 1; w < readers; ++w) others.emplace_back(work, static_cast<std::size_t>(w));
  work(0);
  others.clear();
  return !stopped.load();
}

// The copy kept is the first by path; the others follow in that order.
void AddFileGroup(const TFileRecordStore& files, const TFolderTree& tree, TPathStyle style,
                  const TFileNames& names, const TMatchFindings::TSet& set,
                  const std::vector<TFileId>& setFiles, TDuplicateResult& result) {
  std::vector<TFileId> members(setFiles.begin() + set.First,
                               setFiles.begin() + set.First + set.Count);
  SortByPath(members, style, [&](TFileId f) { return FilePath(files, tree, style, f); });
  TDuplicateGroup g;
  g.Kind = TDuplicateKind::Files;
  g.Size = set.Size;
  g.DiskBytes = names.DiskBytes(members.front());
  for (std::size_t i = 1; i < members.size(); ++i) g.Wasted += names.DiskBytes(members[i]);
  g.First = static_cast<std::uint32_t>(result.Members.size());
  g.Count = static_cast<std::uint32_t>(members.size());
  result.Members.insert(result.Members.end(), members.begin(), members.end());
  result.Groups.push_back(g);
}

// With folder groups: a group of files whose every copy lies inside the copies of one folder
// group is that group's doing, and is not listed again.
void DropFilesInFolderGroups(const TFileRecordStore& files, const TFolderTree& tree,
                             TDuplicateResult& result) {
  std::unordered_map<TNodeId, std::size_t> folderGroup;
  for (std::size_t g = 0; g < result.Groups.size(); ++g) {
    if (result.Groups[g].Kind != TDuplicateKind::Folders) continue;
    for (std::uint32_t m : result.MembersOf(result.Groups[g])) folderGroup.emplace(m, g);
  }
  if (folderGroup.empty()) return;
  const auto covering = [&](TFileId f) {
    for (TNodeId p = files.Record(f).Folder; p != NoNode; p = tree.Parent(p)) {
      if (auto it = folderGroup.find(p); it != folderGroup.end()) return it->second;
    }
    return result.Groups.size();
  };
  TDuplicateResult kept;
  for (const TDuplicateGroup& g : result.Groups) {
    const auto members = result.MembersOf(g);
    if (g.Kind == TDuplicateKind::Files) {
      const std::size_t first = covering(members.front());
      if (first < result.Groups.size() &&
          std::all_of(members.begin(), members.end(),
                      [&](TFileId f) { return covering(f) == first; })) {
        continue;
      }
    }
    TDuplicateGroup copy = g;
    copy.First = static_cast<std::uint32_t>(kept.Members.size());
    kept.Members.insert(kept.Members.end(), members.begin(), members.end());
    kept.Groups.push_back(copy);
  }
  result.Groups = std::move(kept.Groups);
  result.Members = std::move(kept.Members);
}

// The total: every copy but the first of each group, each file once however many groups name it.
void Total(const TFileRecordStore& files, const TFolderTree& tree, const TFileNames& names,
           TDuplicateResult& result) {
  std::unordered_set<TFileId> counted;
  std::unordered_map<TNodeId, std::vector<TFileId>> folderFiles;
  bool anyFolders = false;
  for (const TDuplicateGroup& g : result.Groups) anyFolders |= g.Kind == TDuplicateKind::Folders;
  std::unique_ptr<TFolderFileIndex> index;
  if (anyFolders) index = std::make_unique<TFolderFileIndex>(files, tree.Count());
  for (const TDuplicateGroup& g : result.Groups) {
    const auto members = result.MembersOf(g);
    result.Copies += members.size() - 1;
    if (g.Kind == TDuplicateKind::Files) {
      for (std::size_t i = 1; i < members.size(); ++i) {
        if (counted.insert(members[i]).second) result.Wasted += names.DiskBytes(members[i]);
      }
      continue;
    }
    std::unordered_set<TFileId> first;
    const auto below = [&](TNodeId folder, const auto& visit) {
      std::vector<TNodeId> stack{folder};
      while (!stack.empty()) {
        const TNodeId n = stack.back();
        stack.pop_back();
        for (TFileId f : index->FilesOf(n)) visit(names.FileOf(f));
        for (TNodeId c = tree.FirstChild(n); c != NoNode; c = tree.NextSibling(c)) {
          stack.push_back(c);
        }
      }
    };
    below(members.front(), [&](TFileId f) { first.insert(f); });
    for (std::size_t i = 1; i < members.size(); ++i) {
      below(members[i], [&](TFileId f) {
        if (!first.contains(f) && counted.insert(f).second) result.Wasted += names.DiskBytes(f);
      });
    }
  }
}

void Order(TDuplicateResult& result) {
  std::vector<std::size_t> order(result.Groups.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  const auto key = [&](std::size_t i) {
    const TDuplicateGroup& g = result.Groups[i];
    return std::make_tuple(~g.Wasted, ~g.Size, g.Kind, result.Members[g.First]);
  };
  std::sort(order.begin(), order.end(),
            [&](std::size_t a, std::size_t b) { return key(a) < key(b); });
  std::vector<TDuplicateGroup> groups;
  std::vector<std::uint32_t> members;
  groups.reserve(order.size());
  members.reserve(result.Members.size());
  for (std::size_t i : order) {
    TDuplicateGroup g = result.Groups[i];
    const auto m = result.MembersOf(g);
    g.First = static_cast<std::uint32_t>(members.size());
    members.insert(members.end(), m.begin(), m.end());
    groups.push_back(g);
  }
  result.Groups = std::move(groups);
  result.Members = std::move(members);
}

}  // namespace

TDuplicateResult FindDuplicates(const TFileRecordStore& files, const TFolderTree& tree,
                                TPathStyle style, const TDuplicateOptions& options,
                                TContentSource& source, TDuplicateProgress& progress,
                                const std::function<bool()>& stopRequested) {
  const std::uint64_t minSize = std::max<std::uint64_t>(options.MinSize, 1);
  std::unique_ptr<TFolderMatcher> folders;
  if (options.Folders) {
    folders = std::make_unique<TFolderMatcher>(files, tree, minSize);
    folders->FindCandidates();
  }
  TMatchFindings firstFindings;
  const TCandidates candidates = Gather(files, minSize, folders.get(), firstFindings);
  progress.BytesToRead.store(candidates.Bytes);
  const TNodeId root = tree.FirstChild(NoNode);
  const bool spinning = root != NoNode && source.OnSpinningDisk(tree.Data(root).Path.Str());
  int readers = options.Threads > 0 ? options.Threads : spinning ? 1 : kSolidStateReaders;
  readers = std::max(1, readers);
  TMatchSettings settings;
  settings.ByteCheck = options.ByteCheck;
  // Fewer, longer reads where every change of file costs a seek.
  if (spinning) settings.ChunkBytes = std::size_t{8} << 20;
  TDuplicateResult result;
  std::vector<TFirstPiece> pieces;
  // On a spinning disk, what the page cache holds is read by as many threads as there are
  // processors (no seek in that), the rest by one.
  TPieceReaders pieceReaders;
  pieceReaders.Disk = readers;
  pieceReaders.Cache = spinning && options.Threads <= 0
                           ? static_cast<int>(std::max(1u, std::thread::hardware_concurrency()))
                           : 0;
  pieceReaders.Background = options.Background;
  result.Stopped = !ReadFirstPieces(candidates.Ids, FolderOrder(files, candidates), files, tree,
                                    style, source, pieceReaders, progress, stopRequested, pieces);
  std::vector<TMatchFindings> findings;
  if (!result.Stopped) {
    const TCandidates alike = ByFirstPiece(candidates, pieces, progress, firstFindings);
    std::vector<TFirstPiece>().swap(pieces);
    result.Stopped = !MatchAll(
        alike, readers, options.Background, settings, source, progress, stopRequested,
        [&](TFileId f) { return FilePath(files, tree, style, f); }, findings);
  }
  findings.push_back(std::move(firstFindings));
  TFileNames names(files);
  std::unordered_set<TFileId> notCompared;
  std::unordered_map<TFileId, std::uint64_t> setOf;  // a file in a set -> the set's number + 1
  std::uint64_t sets = 0;
  for (const TMatchFindings& found : findings) {
    result.LeftOut += found.LeftOut;
    result.OnlineOnly += found.OnlineOnly;
    for (const auto& [other, file] : found.OtherNames) names.Add(other, file);
    notCompared.insert(found.NotCompared.begin(), found.NotCompared.end());
  }
  for (const TMatchFindings& found : findings) {
    for (const TMatchFindings::TSet& set : found.Sets) {
      ++sets;
      if (folders) {
        for (std::uint32_t i = 0; i < set.Count; ++i) setOf[found.SetFiles[set.First + i]] = sets;
      }
      if (set.Size >= minSize) {
        AddFileGroup(files, tree, style, names, set, found.SetFiles, result);
      }
    }
  }
  if (folders && !result.Stopped) {
    const auto key = [&](TFileId f, std::uint64_t& k) {
      const TFileId file = names.FileOf(f);
      if (notCompared.contains(file) || notCompared.contains(f)) return false;
      if (files.Record(f).Size == 0) {
        k = 0;
      } else if (auto it = setOf.find(file); it != setOf.end()) {
        k = it->second;
      } else {
        k = (std::uint64_t{1} << 62) | file;  // like no other file
      }
      return true;
    };
    folders->AddGroups(key, names, style, result);
    DropFilesInFolderGroups(files, tree, result);
  }
  Total(files, tree, names, result);
  Order(result);
  result.BytesRead = progress.BytesRead.load();
  return result;
}

}  // namespace Vellumetric
