#include "duplicates/FirstPieces.h"

#include <array>
#include <atomic>
#include <thread>

#include "system/NativePlatform.h"

namespace Vellumetric {
namespace {

// One reader's share: the folder it is in stays open until it moves on to the next.
void ReadShare(std::span<const TFileId> files, std::span<const std::uint32_t> share,
               const TFileRecordStore& records, const TFolderTree& tree, TPathStyle style,
               TContentSource& source, bool cachedOnly, TDuplicateProgress& progress,
               const std::function<bool()>& stopped, std::vector<TFirstPiece>& pieces) {
  std::array<std::byte, TFirstPiece::Bytes> buffer{};
  std::unique_ptr<TContentSource::TFolder> folder;
  TNodeId current = NoNode;
  for (std::uint32_t i : share) {
    if (stopped()) return;
    const TFileId file = files[i];
    const TFileRecord record = records.Record(file);
    if (record.Folder != current) {
      current = record.Folder;
      const TPathText& path = tree.Data(current).Path;
      folder = source.EnterFolder(path.Str(), ChildSeparator(style, path.Back()));
    }
    const std::size_t want =
        static_cast<std::size_t>(std::min<std::uint64_t>(record.Size, TFirstPiece::Bytes));
    std::size_t got = 0;
    TFirstPiece& piece = pieces[i];
    piece.Outcome = folder->ReadStart(records.Name(file), {buffer.data(), want}, got, cachedOnly);
    if (piece.Outcome != TOpenOutcome::Opened) continue;
    piece.Read = static_cast<std::uint32_t>(got);
    progress.BytesRead.fetch_add(got, std::memory_order_relaxed);
    if (got < want) {
      piece.Outcome = TOpenOutcome::Vanished;  // shorter than it was
      continue;
    }
    piece.Hash = HashBytes(buffer.data(), got);
  }
}

// `threads` threads read a share of `order` each; false when stopped.
bool ReadAll(std::span<const TFileId> files, std::span<const std::uint32_t> order, int threads,
             bool cachedOnly, const TFileRecordStore& records, const TFolderTree& tree,
             TPathStyle style, TContentSource& source, bool background,
             TDuplicateProgress& progress, const std::function<bool()>& stopRequested,
             std::vector<TFirstPiece>& pieces) {
  std::atomic<bool> stop{false};
  const std::function<bool()> stopped = [&] {
    if (!stop.load(std::memory_order_relaxed) && stopRequested()) stop.store(true);
    return stop.load(std::memory_order_relaxed);
  };
  threads = std::max(1, std::min<int>(threads, static_cast<int>(order.size() / 64 + 1)));
  const std::size_t share =
      (order.size() + static_cast<std::size_t>(threads) - 1) / static_cast<std::size_t>(threads);
  const auto work = [&](std::size_t w) {
    if (background) LowerThisThreadPriority();
    const std::size_t begin = std::min(order.size(), w * share);
    const std::size_t end = std::min(order.size(), begin + share);
    try {
      ReadShare(files, order.subspan(begin, end - begin), records, tree, style, source, cachedOnly,
                progress, stopped, pieces);
    } catch (...) {
      stop.store(true);  // out of memory: given up like a cancel
    }
  };
  {
    std::vector<std::jthread> others;
    for (int w = 1; w < threads; ++w) others.emplace_back(work, static_cast<std::size_t>(w));
    work(0);
  }
  return !stop.load();
}

}  // namespace

bool ReadFirstPieces(std::span<const TFileId> files, std::span<const std::uint32_t> order,
                     const TFileRecordStore& records, const TFolderTree& tree, TPathStyle style,
                     TContentSource& source, const TPieceReaders& readers,
                     TDuplicateProgress& progress, const std::function<bool()>& stopRequested,
                     std::vector<TFirstPiece>& pieces) {
  pieces.assign(files.size(), TFirstPiece{});
  const bool fromCache = readers.Cache > 0 && source.CachedReads();
  if (!fromCache) {
    return ReadAll(files, order, readers.Disk, false, records, tree, style, source,
                   readers.Background, progress, stopRequested, pieces);
  }
  if (!ReadAll(files, order, readers.Cache, true, records, tree, style, source, readers.Background,
               progress, stopRequested, pieces)) {
    return false;
  }
  std::vector<std::uint32_t> rest;
  for (std::uint32_t i : order) {
    if (pieces[i].Outcome == TOpenOutcome::NotCached) rest.push_back(i);
  }
  return ReadAll(files, rest, readers.Disk, false, records, tree, style, source, readers.Background,
                 progress, stopRequested, pieces);
}

}  // namespace Vellumetric
