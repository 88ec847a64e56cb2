#include "exchange/TNcduLister.h"

#include <climits>
#include <utility>

#include "model/TFileDisk.h"
#include "system/NativePlatform.h"

namespace Vellumetric {
namespace {

// Seconds since 1970 as a file time (100 ns units since 1601); 0, "none", before 1601.
std::uint64_t FileTimeOf(std::int64_t unixSeconds) {
  constexpr std::int64_t kEpochGap = 11644473600;
  constexpr std::int64_t kLatest = (INT64_MAX / 10000000) - kEpochGap;
  if (unixSeconds < -kEpochGap || unixSeconds > kLatest) return 0;
  return static_cast<std::uint64_t>(unixSeconds + kEpochGap) * 10000000U;
}

}  // namespace

std::int32_t TNcduLister::ReadErrorCode() {
  return UnknownReadErrorCode();
}

TNcduLister::TNcduLister() = default;
TNcduLister::~TNcduLister() = default;

bool TNcduLister::Open(const std::string& path, std::string& error) {
  return Parser.Open(path, error);
}

// A walk that reached the root's end settles the reader first, so damage after the last item
// still counts; one that stopped early has failed anyway and reads no further.
bool TNcduLister::Failed() {
  if (Finished) Parser.Settle();
  return Parser.Failed() || !Finished;
}

std::string TNcduLister::Error() {
  if (Finished) Parser.Settle();
  if (Parser.Failed()) return Parser.Error();
  return Finished ? std::string() : "the reading stopped before the end of the file";
}

TPathStyle TNcduLister::Style() const {
  const std::string& root = Parser.Header().Root;
  const bool drive = root.size() >= 2 && root[1] == ':' &&
                     ((root[0] >= 'A' && root[0] <= 'Z') || (root[0] >= 'a' && root[0] <= 'z'));
  const bool share = root.size() >= 2 && root[0] == '\\' && root[1] == '\\';
  return drive || share ? TPathStyle::Windows : TPathStyle::Posix;
}

bool TNcduLister::EnterRoot(std::string_view, bool) {
  if (RootEntered) return false;  // the file is read once; only one walk can read it
  RootEntered = true;
  const TNcduItem& root = Parser.Root();
  Levels.push_back(
      {root.Has(TNcduItem::HasDev) ? root.Dev : 0, root.Has(TNcduItem::ReadError), false});
  Error_ = 0;
  return true;
}

bool TNcduLister::EnterChild(std::string_view, std::string_view) {
  const TPending pending = std::exchange(Pending, TPending::None);
  Error_ = 0;
  if (pending != TPending::Folder) return false;  // excluded: left as a folder not entered
  Levels.push_back(PendingLevel);
  return true;
}

bool TNcduLister::Next(TDirEntry& entry) {
  Error_ = 0;
  Pending = TPending::None;
  if (Levels.empty() || Levels.back().Ended) return false;
  const TNcduItem* item = nullptr;
  std::string_view name;
  if (!Parser.Next(item, name)) {
    // The file broke off inside this folder: it counts as unread, and the reader's error says
    // where.
    Error_ = ReadErrorCode();
    Levels.back().Ended = true;
    return false;
  }
  if (item->Kind == TNcduItem::DirEnd) {
    Levels.back().Ended = true;
    if (Levels.size() == 1) Finished = true;
    if (Levels.back().ReadError) Error_ = ReadErrorCode();
    return false;
  }
  Fill(entry, *item, name);
  return true;
}

void TNcduLister::Fill(TDirEntry& entry, const TNcduItem& item, std::string_view name) {
  const std::uint64_t dev = item.Has(TNcduItem::HasDev) ? item.Dev : Levels.back().Dev;
  entry = TDirEntry{};
  entry.Name = name;
  entry.Size = item.Asize;
  entry.DiskSize = item.Dsize;
  entry.LastAccess = item.Has(TNcduItem::HasMtime) ? FileTimeOf(item.Mtime) : 0;
  entry.LastChange = entry.LastAccess;  // an export keeps the modification time alone
  if (item.Kind == TNcduItem::Dir) {
    entry.IsDirectory = true;
    Pending = TPending::Folder;
    PendingLevel = {dev, item.Has(TNcduItem::ReadError), false};
    return;
  }
  if (item.Has(TNcduItem::Excluded)) {
    // Never looked into: no size, and nothing below it is known.
    entry.IsDirectory = true;
    entry.Size = 0;
    entry.DiskSize = 0;
    Pending = TPending::Excluded;
    return;
  }
  if (item.Has(TNcduItem::ReadError)) entry.Error = ReadErrorCode();
  // As a scan marks them: holes or compression leave at least a block unallocated.
  if (item.Dsize + 4096 <= item.Asize) entry.DiskFlags = DiskSparse;
  // ncdu marks a file with other names by "hlnkc" (and, since 1.16, gives "nlink").
  const bool linked = item.Has(TNcduItem::HardLinked) || item.Links > 1;
  if (linked && item.Has(TNcduItem::HasIno)) {
    entry.Identity = {dev, item.Ino, item.Links, false};
  }
}

void TNcduLister::Leave() {
  if (!Levels.empty()) Levels.pop_back();
}

}  // namespace Vellumetric
