#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "model/TFileRecordStore.h"
#include "model/TFolderFileIndex.h"
#include "model/TTypedFileList.h"

namespace Vellumetric {
namespace {

std::string NameOf(std::size_t i) {
  return "file number " + std::to_string(i) + std::string(i % 200, 'x');
}

// Enough files to span many record chunks and name blocks, added to three folders in turn as a
// depth-first walk interleaves them.
TEST(TFileRecordStore, ManyFilesKeepNamesSizesAndPerFolderOrder) {
  TFileRecordStore store;
  constexpr std::size_t kFiles = 40000;  // about 4 MiB of names
  std::vector<std::vector<std::size_t>> byFolder(3);
  for (std::size_t i = 0; i < kFiles; ++i) {
    const auto folder = static_cast<TNodeId>((i * 7) % 3);
    ASSERT_EQ(store.Add(folder, NameOf(i), i * 1000003ULL, static_cast<std::int32_t>(i % 12)), i);
    byFolder[folder].push_back(i);
  }
  ASSERT_EQ(store.Count(), kFiles);
  const TFolderFileIndex index(store, 5);
  for (TNodeId folder = 0; folder < 3; ++folder) {
    std::size_t n = 0;
    for (const TFileId f : index.FilesOf(folder)) {
      ASSERT_LT(n, byFolder[folder].size());
      const std::size_t i = byFolder[folder][n++];
      ASSERT_EQ(f, i);
      EXPECT_EQ(store.Name(f), NameOf(i));
      EXPECT_EQ(store.Record(f).Size, i * 1000003ULL);
      EXPECT_EQ(store.Record(f).Folder, folder);
      EXPECT_EQ(store.Group(f), static_cast<std::int32_t>(i % 12));
    }
    EXPECT_EQ(n, byFolder[folder].size());
  }
  EXPECT_TRUE(index.FilesOf(3).empty());  // a folder with no files
  EXPECT_TRUE(index.FilesOf(5).empty());  // beyond the folders the index covers
  const TFolderFileIndex part(store, 2);  // the files of folder 2 are left out, not misfiled
  EXPECT_EQ(part.FilesOf(1).size(), byFolder[1].size());
  EXPECT_TRUE(part.FilesOf(2).empty());
  // Compact: a record, its access and change times and its allocation, 28 bytes a file, besides
  // the names.
  EXPECT_LT(store.MemoryBytes(), kFiles * 29 + 5 * (std::size_t{1} << 20));
}

TEST(TFileRecordStore, OddInputIsStoredSafely) {
  TFileRecordStore store;
  const std::string binary("a\0b\xff", 4);
  const TFileId a = store.Add(5, binary, 1ULL << 62, 70000);
  const TFileId b = store.Add(5, "", 0, -3);
  EXPECT_EQ(store.Add(NoNode, "orphan", 1, 0), NoFile);
  EXPECT_EQ(store.Name(a), binary);
  EXPECT_EQ(store.Name(b), "");
  EXPECT_EQ(store.Record(a).Size, 1ULL << 62);
  EXPECT_EQ(store.Group(a), TFileRecordStore::NoGroup);
  EXPECT_EQ(store.Group(b), TFileRecordStore::NoGroup);

  // Last access and last change are kept to the second since 1970; "none" stays none, and
  // times outside what 32 bits hold are clamped rather than wrapped. A time handed on in the
  // record's form (as the parallel walk hands on the last change) reads back the same.
  constexpr std::uint64_t kEpoch = 116444736000000000ULL;  // 1970 as a file time
  const std::pair<std::uint64_t, std::int64_t> times[] = {
      {0, TFileRecordStore::NoAccessTime},
      {1, 0},
      {kEpoch, 0},
      {kEpoch + 17000000000000000ULL + 9999999, 1700000000},
      {kEpoch + 42949672950000000ULL, 4294967294},  // 2106: the last second kept
      {~0ULL, 4294967294}};
  for (const auto& [fileTime, unix] : times) {
    const TFileId id = store.Add(6, "t", 0, 0, fileTime);
    EXPECT_EQ(store.LastAccess(id), unix) << fileTime;
    EXPECT_EQ(store.LastChange(id), TFileRecordStore::NoAccessTime);
    const TFileId changed = store.Add(6, "c", 0, 0, 0, {}, fileTime);
    EXPECT_EQ(store.LastChange(changed), unix) << fileTime;
    EXPECT_EQ(store.LastAccess(changed), TFileRecordStore::NoAccessTime);
    const std::uint64_t handedOn =
        TFileRecordStore::FileTimeOfSeconds(TFileRecordStore::SecondsOfFileTime(fileTime));
    EXPECT_EQ(store.LastChange(store.Add(6, "h", 0, 0, 0, {}, handedOn)), unix) << fileTime;
  }
  EXPECT_EQ(store.LastAccess(a), TFileRecordStore::NoAccessTime);

  // Sizes around the 48 bits a record holds itself.
  constexpr std::uint64_t kBits48 = std::uint64_t{1} << 48;
  for (const std::uint64_t size : {kBits48 - 2, kBits48 - 1, kBits48, ~std::uint64_t{0}}) {
    EXPECT_EQ(store.Record(store.Add(7, "big", size, 0)).Size, size);
  }

  // Allocations around what 32 bits hold: 512-byte blocks up to 64 GiB, odd byte counts (a
  // file kept inside the MFT) up to 128 MiB, anything else aside; the flags stay beside each.
  constexpr std::uint64_t kBlocks = std::uint64_t{1} << 27;
  for (const std::uint64_t disk :
       {std::uint64_t{0}, std::uint64_t{104}, (kBlocks - 1) * 512, kBlocks * 512, kBlocks - 2,
        kBlocks - 1, kBlocks + 1, ~std::uint64_t{0} - 511}) {
    const TFileId id = store.Add(8, "d", 1, 0, 0, {disk, DiskSparse | DiskOnlineOnly});
    EXPECT_EQ(store.DiskSize(id), disk);
    EXPECT_EQ(store.Record(id).DiskFlags, DiskSparse | DiskOnlineOnly) << disk;
  }
  // A later name points at the first, which keeps the count of names.
  const TFileId first = store.Add(9, "first", 10, 0, 0, {4096, 0});
  const TFileId later = store.Add(9, "later", 10, 0, 0, {0, DiskHardLink});
  store.SetHardLink(first, first, 2);
  store.SetHardLink(later, first, 0);
  store.SetHardLink(first, first, 3);
  EXPECT_EQ(store.HardLink(later).First, first);
  EXPECT_EQ(store.HardLink(later).Names, 3u);
  EXPECT_EQ(store.DiskFlags(first), DiskHardLink);
  EXPECT_EQ(store.HardLink(a).Names, 0u);

  // A name block filled to its last byte, then an empty name and one more: each name ends where
  // the next starts, or where its block ends.
  store.Clear();
  std::vector<std::string> names(16, std::string(65535, 'n'));
  names.push_back(std::string((std::size_t{1} << 20) - 16 * 65535, 'e'));
  for (const char* more : {"", "after", ""}) {
    names.emplace_back(more);
    for (std::size_t i = store.Count(); i < names.size(); ++i) store.Add(1, names[i], 1, 0);
    for (std::size_t i = 0; i < names.size(); ++i) {
      ASSERT_EQ(store.Name(static_cast<TFileId>(i)), names[i]) << i;
    }
  }

  store.Clear();
  EXPECT_TRUE(store.Empty());
  EXPECT_EQ(store.Add(1, "again", 2, 3), 0u);
  EXPECT_EQ(store.Name(0), "again");
}

// The typed-file list keeps most files as a record id and a fraction of a second; what the
// record cannot give back must still come back exactly, also after the front has been taken.
TEST(TTypedFileList, EveryFileReadsBackAsAddedWhileTheFrontIsTaken) {
  TFileRecordStore store;
  std::vector<TTypedFile> added;
  const auto add = [&](std::int32_t group, std::uint64_t access) {
    added.push_back(
        {store.Add(0, "f" + std::to_string(added.size()), 1, group, access), group, access});
  };
  for (int round = 0; round < 3; ++round) {
    add(3, 133000000001234567);      // 2022, with a fraction of a second
    add(40000, 133000000000000000);  // a group id past the record's 16 bits
    add(7, 42);                      // before 1970: the record holds 1970
    add(7, 0);                       // no time at all
    add(7, 999999999999999999);      // after 2106: the record holds the end of 2106
  }
  TTypedFileList list;
  for (const TTypedFile& f : added) list.Add(store, f);
  for (std::size_t taken = 0; taken < added.size(); ++taken) {
    if (taken == 4) {  // added after some were taken, and with no record: kept whole
      list.Add(store, {NoFile, 2, 5});
      added.push_back({NoFile, 2, 5});
    }
    ASSERT_EQ(list.Count(), added.size() - taken);
    for (std::size_t i = 0; i < list.Count(); ++i) {
      const TTypedFile f = list.At(store, i);
      const TTypedFile& want = added[taken + i];
      ASSERT_EQ(f.File, want.File) << taken << " " << i;
      EXPECT_EQ(f.GroupID, want.GroupID) << taken << " " << i;
      EXPECT_EQ(f.LastAccess, want.LastAccess) << taken << " " << i;
    }
    list.PopFront();
  }
  EXPECT_TRUE(list.Empty());
}

}  // namespace
}  // namespace Vellumetric
