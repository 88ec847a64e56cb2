#include "duplicates/TSizeClassMatcher.h"

#include <algorithm>
#include <cstring>

namespace Vellumetric {
namespace {

constexpr std::uint64_t kFirstStage = 4096;
constexpr std::uint64_t kSecondStage = std::uint64_t{1} << 20;
constexpr std::size_t kSmallestPiece = 4096;

}  // namespace

struct TSizeClassMatcher::TMember {
  TFileId File = NoFile;
  std::unique_ptr<TOpenFile> Handle;
  TOpenIdentity Identity;
  TFileStamp Stamp;
  // Bytes of this file counted in the progress's BytesToRead and not read yet.
  std::uint64_t Planned = 0;
  std::uint32_t Slot = 0;  // its piece of the buffer while read side by side
  bool Failed = false;
  bool OtherName = false;
};

TSizeClassMatcher::TSizeClassMatcher(TContentSource& source, const TMatchSettings& settings,
                                     TDuplicateProgress& progress,
                                     std::function<bool()> stopRequested, TPathOf pathOf,
                                     TMatchFindings& findings)
    : Source(source),
      Settings(settings),
      Progress(progress),
      Stop(std::move(stopRequested)),
      PathOf(std::move(pathOf)),
      Out(findings) {}

TSizeClassMatcher::~TSizeClassMatcher() = default;

bool TSizeClassMatcher::Match(std::uint64_t size, std::span<const TFileId> files) {
  Size = size;
  Members.clear();
  Members.reserve(files.size());
  // A large set keeps no file open between reads, so a thousand copies never run out of handles.
  KeepOpen = files.size() <= MaxSideBySide;
  bool complete = true;
  for (TFileId f : files) {
    if (Stopped()) {
      complete = false;
      break;
    }
    TMember m;
    m.File = f;
    m.Planned = size;
    const TOpenOutcome opened = Source.Open(PathOf(f), m.Handle);
    if (opened != TOpenOutcome::Opened) {
      Fail(m, opened);
      continue;
    }
    m.Identity = m.Handle->Identity();
    m.Stamp = m.Handle->OpenedStamp();
    if (m.Stamp.Size != size) {
      Fail(m, TOpenOutcome::Vanished);  // no longer the file the scan saw
      continue;
    }
    if (!KeepOpen) m.Handle.reset();
    Members.push_back(std::move(m));
  }
  if (complete) {
    const TPart distinct = SetAsideOtherNames();
    if (distinct.size() >= 2) complete = Compare(distinct);
  }
  for (TMember& m : Members) Deduct(m);
  Members.clear();
  return complete;
}

// Names of one file are one file: the first of the scan's records stands for it.
TSizeClassMatcher::TPart TSizeClassMatcher::SetAsideOtherNames() {
  TPart order(Members.size());
  for (std::uint32_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
    return Members[a].Identity != Members[b].Identity ? Members[a].Identity < Members[b].Identity
                                                      : Members[a].File < Members[b].File;
  });
  TPart distinct;
  for (std::size_t i = 0; i < order.size(); ++i) {
    TMember& m = Members[order[i]];
    if (i > 0 && Members[order[i - 1]].Identity == m.Identity) {
      const std::uint32_t first = distinct.back();
      Out.OtherNames.emplace_back(m.File, Members[first].File);
      m.OtherName = true;
      m.Handle.reset();
      Deduct(m);
    } else {
      distinct.push_back(order[i]);
    }
  }
  return distinct;
}

bool TSizeClassMatcher::Compare(const TPart& all) {
  std::vector<TPart> finals;
  const bool done = all.size() <= MaxSideBySide ? SideBySide(all, 0, finals) : Staged(all, finals);
  if (!done) return false;
  for (const TPart& part : finals) Emit(part);
  return true;
}

// Reads a piece of every file of `part` at a time and splits the part where the pieces differ;
// the files left alone drop out. Each file is read once, from `from` to its end or to where it
// left its last companion.
bool TSizeClassMatcher::SideBySide(TPart part, std::uint64_t from, std::vector<TPart>& finals) {
  std::erase_if(part, [&](std::uint32_t m) { return !EnsureOpen(m); });
  if (part.size() < 2) {
    for (std::uint32_t m : part) Members[m].Handle.reset();  // alone: nothing to compare with
    return true;
  }
  const std::size_t budget = Settings.BufferBytes / part.size();
  SlotBytes = std::max(kSmallestPiece,
                       std::min(Settings.ChunkBytes, budget) / kSmallestPiece * kSmallestPiece);
  if (Buffer.size() < SlotBytes * part.size()) Buffer.resize(SlotBytes * part.size());
  for (std::uint32_t i = 0; i < part.size(); ++i) {
    Members[part[i]].Slot = i;
    PlanFor(Members[part[i]], Size - from);
  }
  std::vector<TPart> live{part};
  std::uint64_t pos = from;
  while (pos < Size && !live.empty()) {
    const std::uint64_t end = NextEnd(pos, SlotBytes);
    std::vector<TPart> next;
    for (const TPart& p : live) {
      TPart read;
      for (std::uint32_t m : p) {
        if (Stopped()) return false;
        if (ReadPiece(m, pos, end)) read.push_back(m);
      }
      Split(read, static_cast<std::size_t>(end - pos), next);
    }
    live = std::move(next);
    pos = end;
  }
  if (!KeepOpen) {
    for (std::uint32_t m : part) Release(m);
  }
  for (TPart& p : live) finals.push_back(std::move(p));
  return true;
}

// Pieces that hash alike (and, with the byte check, hold the same bytes) stay together.
void TSizeClassMatcher::Split(const TPart& part, std::size_t length, std::vector<TPart>& next) {
  struct TBucket {
    THash128 Hash;
    TPart Files;
  };
  std::vector<TBucket> buckets;
  for (std::uint32_t m : part) {
    const THash128 hash = HashBytes(Slot(m), length);
    auto same = std::find_if(buckets.begin(), buckets.end(), [&](const TBucket& b) {
      return b.Hash == hash &&
             (!Settings.ByteCheck || std::memcmp(Slot(b.Files.front()), Slot(m), length) == 0);
    });
    if (same == buckets.end()) {
      buckets.push_back({hash, {m}});
    } else {
      same->Files.push_back(m);
    }
  }
  for (TBucket& b : buckets) {
    if (b.Files.size() >= 2) {
      next.push_back(std::move(b.Files));
    } else {
      // Unlike every other file of its size: whatever happens to it now is of no concern.
      Deduct(Members[b.Files.front()]);
      Members[b.Files.front()].Handle.reset();
    }
  }
}

// More files than can be read side by side: each stage hashes one file after another, and the
// parts that become small enough are read side by side from there on (from the start with the
// byte check, so that the stages only hashed are compared too).
bool TSizeClassMatcher::Staged(const TPart& all, std::vector<TPart>& finals) {
  std::vector<TPart> live{all};
  std::uint64_t start = 0;
  for (const std::uint64_t stageEnd : {kFirstStage, kSecondStage, Size}) {
    const std::uint64_t end = std::min(stageEnd, Size);
    if (end <= start) continue;
    std::vector<TPart> next;
    for (const TPart& p : live) {
      if (p.size() <= MaxSideBySide) {
        if (!SideBySide(p, Settings.ByteCheck ? 0 : start, finals)) return false;
        continue;
      }
      std::vector<std::pair<THash128, std::uint32_t>> keyed;
      for (std::uint32_t m : p) {
        if (Stopped()) return false;
        THash128 digest;
        if (HashRange(m, start, end, digest)) keyed.emplace_back(digest, m);
      }
      SplitByHash(keyed, next);
    }
    live = std::move(next);
    start = end;
  }
  for (TPart& p : live) {
    if (!Settings.ByteCheck) {
      finals.push_back(std::move(p));
    } else if (!Verify(std::move(p), finals)) {
      return false;
    }
  }
  return true;
}

void TSizeClassMatcher::SplitByHash(std::vector<std::pair<THash128, std::uint32_t>>& keyed,
                                    std::vector<TPart>& next) {
  std::sort(keyed.begin(), keyed.end());
  for (std::size_t i = 0; i < keyed.size();) {
    std::size_t j = i;
    while (j < keyed.size() && keyed[j].first == keyed[i].first) ++j;
    if (j - i >= 2) {
      TPart p;
      for (std::size_t k = i; k < j; ++k) p.push_back(keyed[k].second);
      next.push_back(std::move(p));
    } else {
      Deduct(Members[keyed[i].second]);
      Members[keyed[i].second].Handle.reset();
    }
    i = j;
  }
}

// A set that hashed alike, compared byte for byte against its first file in batches read side by
// side. Files that differ from the first (a hash collision) are compared among themselves again.
bool TSizeClassMatcher::Verify(TPart pending, std::vector<TPart>& finals) {
  while (pending.size() >= 2) {
    const std::uint32_t first = pending.front();
    TPart same{first};
    TPart other;
    for (std::size_t i = 1; i < pending.size(); i += MaxSideBySide - 1) {
      TPart batch{first};
      const std::size_t end = std::min(pending.size(), i + MaxSideBySide - 1);
      batch.insert(batch.end(), pending.begin() + static_cast<std::ptrdiff_t>(i),
                   pending.begin() + static_cast<std::ptrdiff_t>(end));
      std::vector<TPart> parts;
      if (!SideBySide(batch, 0, parts)) return false;
      for (const TPart& p : parts) {
        const bool withFirst = std::find(p.begin(), p.end(), first) != p.end();
        for (std::uint32_t m : p) {
          if (m != first) (withFirst ? same : other).push_back(m);
        }
      }
      if (Members[first].Failed) break;
    }
    if (Members[first].Failed) {
      // What was left unbatched goes round again with the rest.
      for (std::uint32_t m : pending) {
        if (m != first && !Members[m].Failed &&
            std::find(same.begin(), same.end(), m) == same.end() &&
            std::find(other.begin(), other.end(), m) == other.end()) {
          other.push_back(m);
        }
      }
      other.insert(other.end(), same.begin() + 1, same.end());
    } else if (same.size() >= 2) {
      finals.push_back(std::move(same));
    }
    pending = std::move(other);
  }
  return true;
}

bool TSizeClassMatcher::ReadPiece(std::uint32_t m, std::uint64_t from, std::uint64_t to) {
  TMember& member = Members[m];
  const std::size_t want = static_cast<std::size_t>(to - from);
  const std::int64_t got = member.Handle->ReadAt(from, {Slot(m), want});
  if (got > 0) {
    Progress.BytesRead.fetch_add(static_cast<std::uint64_t>(got), std::memory_order_relaxed);
    member.Planned -= std::min(member.Planned, static_cast<std::uint64_t>(got));
  }
  if (got == static_cast<std::int64_t>(want)) return true;
  // A read error, or a file that ends early: it changed after it was opened.
  Fail(member, got < 0 ? TOpenOutcome::Unreadable : TOpenOutcome::Vanished);
  return false;
}

bool TSizeClassMatcher::HashRange(std::uint32_t m, std::uint64_t from, std::uint64_t to,
                                  THash128& digest) {
  if (!EnsureOpen(m)) return false;
  TMember& member = Members[m];
  SlotBytes = std::max<std::size_t>(Settings.ChunkBytes, kSmallestPiece);
  if (Buffer.size() < SlotBytes) Buffer.resize(SlotBytes);
  member.Slot = 0;
  Running.Reset();
  for (std::uint64_t pos = from; pos < to;) {
    if (Stopped()) return false;
    const std::uint64_t end = std::min<std::uint64_t>(to, pos + SlotBytes);
    if (!ReadPiece(m, pos, end)) return false;
    Running.Add(Slot(m), static_cast<std::size_t>(end - pos));
    pos = end;
  }
  digest = Running.Digest();
  if (!KeepOpen) Release(m);
  return !member.Failed;
}

// A file closed between reads is opened again, and must still be the file it was.
bool TSizeClassMatcher::EnsureOpen(std::uint32_t m) {
  TMember& member = Members[m];
  if (member.Failed) return false;
  if (member.Handle) return true;
  const TOpenOutcome opened = Source.Open(PathOf(member.File), member.Handle);
  if (opened != TOpenOutcome::Opened) {
    Fail(member, opened);
    return false;
  }
  if (member.Handle->Identity() != member.Identity ||
      member.Handle->OpenedStamp() != member.Stamp) {
    Fail(member, TOpenOutcome::Vanished);
    return false;
  }
  return true;
}

// Closes a file, and leaves it out when it changed while it was open.
void TSizeClassMatcher::Release(std::uint32_t m) {
  TMember& member = Members[m];
  if (!member.Handle) return;
  TFileStamp now;
  if (!member.Handle->CurrentStamp(now) || now != member.Stamp) {
    Fail(member, TOpenOutcome::Vanished);
    return;
  }
  member.Handle.reset();
}

void TSizeClassMatcher::Emit(const TPart& part) {
  TPart kept;
  for (std::uint32_t m : part) {
    Release(m);
    if (!Members[m].Failed) kept.push_back(m);
  }
  if (kept.size() < 2) return;
  TMatchFindings::TSet set;
  set.Size = Size;
  set.First = static_cast<std::uint32_t>(Out.SetFiles.size());
  set.Count = static_cast<std::uint32_t>(kept.size());
  for (std::uint32_t m : kept) Out.SetFiles.push_back(Members[m].File);
  Out.Sets.push_back(set);
  Progress.Groups.fetch_add(1, std::memory_order_relaxed);
}

void TSizeClassMatcher::Fail(TMember& member, TOpenOutcome why) {
  if (member.Failed) return;
  member.Failed = true;
  member.Handle.reset();
  Deduct(member);
  Out.NotCompared.push_back(member.File);
  if (why == TOpenOutcome::OnlineOnly) {
    ++Out.OnlineOnly;
  } else if (why != TOpenOutcome::NotRegular) {
    ++Out.LeftOut;
  }
}

void TSizeClassMatcher::Deduct(TMember& member) {
  Progress.BytesToRead.fetch_sub(member.Planned, std::memory_order_relaxed);
  member.Planned = 0;
}

void TSizeClassMatcher::PlanFor(TMember& member, std::uint64_t bytes) {
  if (member.Planned >= bytes) return;
  Progress.BytesToRead.fetch_add(bytes - member.Planned, std::memory_order_relaxed);
  member.Planned = bytes;
}

// The stages end at 4 KiB and at 1 MiB; past them a piece is as large as the buffer allows.
std::uint64_t TSizeClassMatcher::NextEnd(std::uint64_t pos, std::size_t chunk) const noexcept {
  if (pos < kFirstStage) return std::min(kFirstStage, Size);
  const std::uint64_t end = pos + chunk;
  if (pos < kSecondStage) return std::min({end, kSecondStage, Size});
  return std::min(end, Size);
}

std::byte* TSizeClassMatcher::Slot(std::uint32_t m) noexcept {
  return Buffer.data() + std::size_t{Members[m].Slot} * SlotBytes;
}

}  // namespace Vellumetric
