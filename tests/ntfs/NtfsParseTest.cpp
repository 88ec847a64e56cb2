// The parts of the MFT engine that read untrusted bytes, on hand-made bytes: these run on every
// platform, the Windows build under Wine included.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "system/ntfs/NtfsNameText.h"
#include "system/ntfs/NtfsRecord.h"
#include "system/ntfs/NtfsRunList.h"
#include "system/ntfs/TNtfsDirectoryLister.h"
#include "system/ntfs/TNtfsUpcase.h"
#include "system/ntfs/TNtfsVolumeIndex.h"

namespace Vellumetric {
namespace {

std::vector<TNtfsRun> Decode(std::vector<std::uint8_t> pairs, bool& ok,
                             std::uint64_t clusters = 1000000) {
  std::vector<TNtfsRun> runs;
  ok = DecodeRunList(TNtfsBytes(pairs.data(), pairs.size()), clusters, runs);
  return runs;
}

TEST(NtfsRunList, RelativeOffsetsHolesAndEveryMalformedPairRefused) {
  bool ok = false;
  // 0x21: one length byte, two offset bytes. Run 2 goes back 0x30 clusters (0xFFD0); run 3 is
  // a hole (no offset bytes).
  const auto runs = Decode({0x21, 0x10, 0x00, 0x01, 0x21, 0x08, 0xD0, 0xFF, 0x01, 0x04, 0x00}, ok);
  ASSERT_TRUE(ok);
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[0].Lcn, 0x100);
  EXPECT_EQ(runs[0].Length, 0x10u);
  EXPECT_EQ(runs[1].Lcn, 0xD0);
  EXPECT_EQ(runs[2].Lcn, TNtfsRun::NoLcn);
  EXPECT_EQ(runs[2].Length, 4u);

  Decode({0x21, 0x10, 0x00, 0x01}, ok);  // no terminating zero
  EXPECT_FALSE(ok);
  Decode({0x21, 0x10, 0x00}, ok);  // the header promises more bytes than there are
  EXPECT_FALSE(ok);
  Decode({0x11, 0x10, 0xF0, 0x00}, ok);  // first cluster negative
  EXPECT_FALSE(ok);
  Decode({0x21, 0x10, 0x00, 0x01, 0x00}, ok, 0x105);  // runs past the volume's end
  EXPECT_FALSE(ok);
  Decode({0x01, 0x00, 0x00}, ok);  // a run of no clusters
  EXPECT_FALSE(ok);
  Decode({0x91, 0x01, 0x00}, ok);  // nine offset bytes
  EXPECT_FALSE(ok);
  // Offsets that would overflow a 64-bit cluster number.
  Decode({0x81, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x81,
          0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x00},
         ok, ~0ULL);
  EXPECT_FALSE(ok);
}

// A 1 KiB record holding a standard information, a file name and a resident data attribute,
// written the way NTFS stores it: each 512-byte stride ends in the check value.
std::vector<std::uint8_t> MakeRecord() {
  std::vector<std::uint8_t> r(1024, 0);
  auto put16 = [&](std::size_t at, std::uint16_t v) { std::memcpy(&r[at], &v, 2); };
  auto put32 = [&](std::size_t at, std::uint32_t v) { std::memcpy(&r[at], &v, 4); };
  auto put64 = [&](std::size_t at, std::uint64_t v) { std::memcpy(&r[at], &v, 8); };
  std::memcpy(r.data(), "FILE", 4);
  put16(4, 48);  // update sequence array at 48, three entries
  put16(6, 3);
  put16(16, 7);    // sequence number
  put16(20, 56);   // first attribute
  put16(22, 0x1);  // in use
  std::size_t at = 56;
  put32(at, 0x10);  // $STANDARD_INFORMATION, 72 bytes of value
  put32(at + 4, 24 + 72);
  put32(at + 16, 72);
  put16(at + 20, 24);
  put64(at + 24 + 8, 0x01C0000000000000ULL);   // last write
  put64(at + 24 + 24, 0x01D0000000000000ULL);  // last access
  put32(at + 24 + 32, 0x20);
  at += 96;
  put32(at, 0x30);  // $FILE_NAME "ab" in folder 5
  put32(at + 4, 24 + 72);
  put32(at + 16, 66 + 4);
  put16(at + 20, 24);
  put64(at + 24, 5 | (5ULL << 48));
  r[at + 24 + 64] = 2;
  r[at + 24 + 65] = 1;
  r[at + 24 + 66] = 'a';
  r[at + 24 + 68] = 'b';
  at += 96;
  put32(at, 0x80);  // unnamed $DATA, resident, 700 bytes
  put32(at + 4, 24 + 704);
  put32(at + 16, 700);
  put16(at + 20, 24);
  at += 24 + 704;
  put32(at, 0xFFFFFFFF);
  put32(24, static_cast<std::uint32_t>(at + 8));
  put32(28, 1024);
  // Fixups: check value 0x0102 at the end of both strides, originals in the array.
  put16(48, 0x0102);
  put16(50, static_cast<std::uint16_t>(r[510] | (r[511] << 8)));
  put16(52, static_cast<std::uint16_t>(r[1022] | (r[1023] << 8)));
  put16(510, 0x0102);
  put16(1022, 0x0102);
  return r;
}

TEST(NtfsRecord, ParsesAWellFormedRecordAndRefusesTornOrOverlongOnes) {
  std::vector<std::uint8_t> r = MakeRecord();
  ASSERT_TRUE(ApplyNtfsFixups(r.data(), r.size()));
  TNtfsRecordFacts facts;
  ASSERT_EQ(ParseNtfsRecord(TNtfsBytes(r.data(), r.size()), 4096, false, facts),
            TNtfsRecordState::InUse);
  EXPECT_EQ(facts.Sequence, 7);
  EXPECT_EQ(facts.DataSize, 700u);
  EXPECT_EQ(facts.DiskBytes, 0u);  // resident data holds no cluster
  EXPECT_EQ(facts.LastAccess, 0x01D0000000000000ULL);
  EXPECT_EQ(facts.LastWrite, 0x01C0000000000000ULL);
  ASSERT_EQ(facts.Names.size(), 1u);
  EXPECT_EQ(facts.Names[0].ParentRef, 5 | (5ULL << 48));
  EXPECT_EQ(facts.Names[0].Length, 2);

  std::vector<std::uint8_t> torn = MakeRecord();
  torn[1023] ^= 0xFF;  // the second stride was not written with the first
  EXPECT_FALSE(ApplyNtfsFixups(torn.data(), torn.size()));

  // An attribute whose length runs past the bytes in use, a value past its attribute, a name
  // longer than its value: each a damaged record, never a read outside it.
  for (auto [offset, value] :
       {std::pair{56 + 4, 4000u}, std::pair{56 + 96 + 16, 900u}, std::pair{56 + 96 + 16, 60u}}) {
    std::vector<std::uint8_t> bad = MakeRecord();
    ASSERT_TRUE(ApplyNtfsFixups(bad.data(), bad.size()));
    std::memcpy(&bad[static_cast<std::size_t>(offset)], &value, 4);
    EXPECT_EQ(ParseNtfsRecord(TNtfsBytes(bad.data(), bad.size()), 4096, false, facts),
              TNtfsRecordState::Damaged)
        << offset << " " << value;
  }
}

TEST(NtfsUpcase, OrdersCaseBlindThenByCodeUnit) {
  const TNtfsUpcase upcase;
  auto cmp = [&](std::string_view a, std::string_view b) { return upcase.Compare(a, b); };
  EXPECT_LT(cmp("apple", "Banana"), 0);  // case ignored first
  EXPECT_LT(cmp("Case", "case"), 0);     // then 'C' (0x43) before 'c' (0x63)
  EXPECT_LT(cmp("ab", "ABC"), 0);        // a prefix first
  EXPECT_LT(cmp("Z", "_"), 0);           // '_' sorts after the upper-cased letters
  EXPECT_EQ(cmp("same", "same"), 0);
  EXPECT_GT(cmp("file10", "FILE1"), 0);  // equal but for case up to the shorter's end
  EXPECT_LT(cmp("abC", "abc"), 0);
  EXPECT_LT(cmp("Xbcdefghij-1", "xbcdefghij-1"), 0);  // a case apart far before the end
  EXPECT_GT(cmp("a\xC3\xA9", "Ab"), 0);  // é (U+00E9) after B, a character after the case
  // By UTF-16 units, not code points: U+1F600 is the pair D83D DE00, before U+FF21; a lone
  // surrogate D800 comes before both, and before U+E000.
  EXPECT_LT(cmp("x\xF0\x9F\x98\x80", "x\xEF\xBC\xA1"), 0);
  EXPECT_GT(cmp("x\xEF\xBC\xA1", "x\xF0\x9F\x98\x80"), 0);
  EXPECT_LT(cmp("x\xED\xA0\x80", "x\xF0\x9F\x98\x80"), 0);
  EXPECT_LT(cmp("x\xED\xA0\x80", "x\xEE\x80\x80"), 0);
  EXPECT_LT(cmp("\xC3\xA9",
                "\xC3\xA9"
                "a"),
            0);  // é, then éa: the shorter first
  // Names that part inside a character: U+FF21 before U+FF41, U+1F600 before U+1F601.
  EXPECT_LT(cmp("\xEF\xBC\xA1", "\xEF\xBD\x81"), 0);
  EXPECT_GT(cmp("\xF0\x9F\x98\x81", "\xF0\x9F\x98\x80"), 0);
}

// Names as NTFS stores them (UTF-16, a lone surrogate allowed), kept as UTF-8 and shown with
// U+FFFD for a lone surrogate, as Windows' own conversion shows it.
TEST(NtfsNameText, KeepsEveryUnitAndShowsALoneSurrogateAsTheReplacement) {
  const std::vector<char16_t> units = {u'a', 0x00E9, 0x65E5, 0xD83D, 0xDE00, 0xD800, u'b', 0xDC00};
  std::vector<std::uint8_t> le;
  for (const char16_t u : units) {
    le.push_back(static_cast<std::uint8_t>(u));
    le.push_back(static_cast<std::uint8_t>(u >> 8));
  }
  std::vector<char> text;
  AppendNtfsNameText(le.data(), units.size(), text);
  const std::string_view kept(text.data(), text.size());
  EXPECT_EQ(kept,
            "a\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80\xED\xA0\x80"
            "b\xED\xB0\x80");
  std::vector<char16_t> back;
  TNtfsNameUnits reader(kept);
  for (char16_t u = 0; reader.Next(u);) back.push_back(u);
  EXPECT_EQ(back, units);
  std::string scratch;
  EXPECT_EQ(ShownNtfsName(kept, scratch),
            "a\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80\xEF\xBF\xBD"
            "b\xEF\xBF\xBD");
  EXPECT_EQ(ShownNtfsName("plain.txt", scratch).data(), std::string_view("plain.txt").data())
      << "a name with nothing to mend is not copied";
}

using TListedVolume = std::map<std::uint32_t, std::vector<std::pair<std::uint32_t, std::string>>>;

// A volume of 3,000 folders of 50 files each, whose names come in no order, added record by
// record as the reader adds them. A file's size is its record number.
void FillVolume(TNtfsVolumeIndex& index, unsigned threads) {
  constexpr std::uint32_t kFolders = 3000;
  constexpr std::uint32_t kFiles = 50;
  constexpr std::uint32_t kFirstFile = 16 + kFolders;
  const std::uint32_t records = kFirstFile + kFolders * kFiles;
  EXPECT_TRUE(index.Reset(records));
  index.Grow(records);
  TNtfsVolumeIndex::TBatch batch;
  batch.Into(index.FileSlots());
  std::vector<std::uint8_t> utf16;
  const auto add = [&](std::uint32_t record, bool folder, std::uint32_t parent,
                       const std::u16string& name, std::uint8_t space = 1) {
    TNtfsRecordFacts facts;
    facts.IsDirectory = folder;
    facts.Sequence = 1;
    facts.DataSize = record;
    utf16.clear();
    for (const char16_t unit : name) {
      utf16.push_back(static_cast<std::uint8_t>(unit & 0xFF));
      utf16.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    facts.Names.push_back({parent, space, utf16.data(), static_cast<std::uint8_t>(name.size())});
    batch.Add(record, facts);
  };
  add(TNtfsVolumeIndex::RootRecord, true, TNtfsVolumeIndex::RootRecord, u".");
  for (std::uint32_t d = 0; d < kFolders; ++d) {
    std::u16string name = d % 3 ? u"D" : u"d";
    for (std::uint32_t k = (d * 2654435761U) >> 20; k != 0; k /= 10) name += u'0' + k % 10;
    add(16 + d, true, 5, name + u"." + std::u16string(1, u'a' + d % 26));
  }
  for (std::uint32_t f = 0; f < kFolders * kFiles; ++f) {
    // Scattered over the folders, in case-mixed names whose order has nothing to do with the
    // records' order.
    const std::uint32_t folder = 16 + (f * 7919) % kFolders;
    const std::uint32_t key = f * 2654435761U;  // odd: every file's key differs
    std::u16string name = key % 2 ? u"Item" : u"item";
    for (std::uint32_t k = key; k != 0; k /= 23) name += static_cast<char16_t>(u'a' + k % 23);
    add(kFirstFile + f, false, folder, name);
    if (f % 97 == 0) {
      // A short twin, which no listing shows, and a name under a file, which leads nowhere.
      batch.Add(kFirstFile + f, [&] {
        TNtfsRecordFacts twin;
        twin.Sequence = 1;
        twin.Names.push_back({folder, 2, utf16.data(), 1});
        twin.Names.push_back({kFirstFile, 1, utf16.data(), 2});
        return twin;
      }());
    }
  }
  index.Append(batch);
  index.Finish(TNtfsUpcase(), threads);
}

// Each folder's names as Finish leaves them, by record and name.
TListedVolume IndexedVolume(unsigned threads) {
  TNtfsVolumeIndex index;
  FillVolume(index, threads);
  TListedVolume listed;
  for (std::uint32_t folder = 0; folder < index.RecordCount(); ++folder) {
    for (const std::uint32_t at : index.Children(folder)) {
      const TNtfsVolumeIndex::TEntry& e = index.Entry(at);
      listed[folder].emplace_back(e.Record, std::string(index.Name(e)));
    }
  }
  return listed;
}

TEST(NtfsVolumeIndex, FoldersSortedOnSeveralThreadsHoldTheirOwnNamesInIndexOrder) {
  const auto one = IndexedVolume(1);
  const auto several = IndexedVolume(4);
  ASSERT_EQ(one.size(), 3001u);  // the root and every folder
  EXPECT_EQ(one.at(TNtfsVolumeIndex::RootRecord).size(), 3000u);
  // The names are ASCII: the index order is then that of the upper-cased names, and of the
  // names themselves where those are equal.
  const auto upper = [](std::string s) {
    for (char& c : s) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    return s;
  };
  std::size_t names = 0;
  for (const auto& [folder, children] : one) {
    for (std::size_t i = 1; i < children.size(); ++i) {
      const std::string& a = children[i - 1].second;
      const std::string& b = children[i].second;
      ASSERT_TRUE(std::pair(upper(a), a) < std::pair(upper(b), b))
          << folder << " " << a << " " << b;
    }
    for (const auto& [record, name] : children) {
      // Where the volume put it: the file's own record says which folder.
      if (folder != TNtfsVolumeIndex::RootRecord) {
        ASSERT_EQ(16 + ((record - 3016) * 7919) % 3000, folder);
      }
    }
    names += children.size();
  }
  EXPECT_EQ(names, 3000u + 150000u);
  EXPECT_EQ(several, one);
}

// Walked depth first through the lister as the scan walks it, with the root listed twice first
// as the scan does. The lister gives back each name below the root once listed; the files are
// scattered over the folders, so pieces of the index go back in no order, each of them only when
// every name that reads it has been listed: a piece given back too early would read as zeros.
TEST(NtfsVolumeIndex, AWalkThatGivesBackWhatItListedStillListsEveryNameWhole) {
  auto index = std::make_shared<TNtfsVolumeIndex>();
  FillVolume(*index, 2);
  TNtfsVolumeIndex kept;  // the same, never walked
  FillVolume(kept, 1);
  TNtfsDirectoryLister lister(index, TPathStyle::Posix);
  TDirEntry entry;
  for (int pass = 0; pass < 2; ++pass) {
    ASSERT_TRUE(lister.EnterRoot("/", false));
    while (lister.Next(entry)) {
    }
    lister.Leave();
  }
  ASSERT_TRUE(lister.EnterRoot("/", false));
  TListedVolume walked;
  std::vector<std::uint32_t> folders{TNtfsVolumeIndex::RootRecord};
  std::size_t wrongSizes = 0;
  while (!folders.empty()) {
    if (!lister.Next(entry)) {
      lister.Leave();
      folders.pop_back();
      continue;
    }
    const std::uint32_t record = lister.LastRecord();
    walked[folders.back()].emplace_back(record, std::string(entry.Name));
    wrongSizes += entry.Size != kept.File(record).Size;
    if (entry.IsDirectory && lister.EnterChild(entry.Name, {})) folders.push_back(record);
  }
  EXPECT_EQ(wrongSizes, 0U);
  EXPECT_TRUE(walked == IndexedVolume(1));
  // All but the pieces that hold the root's own names, the arrays too small to be the index's own
  // pages, and names' room never written.
  EXPECT_GT(index->ReleasedBytes(), index->MemoryBytes() / 2);
  EXPECT_FALSE(lister.EnterRoot("/", false)) << "a walk's listed names are gone";
}

// A root that holds every file: the first listing gives back the whole index, the root's own
// record with it, and the walk after it still lists the root.
TEST(NtfsVolumeIndex, ARootOfEveryFileIsListedAgainAfterItsIndexIsGivenBack) {
  constexpr std::uint32_t kFiles = 70000;
  auto index = std::make_shared<TNtfsVolumeIndex>();
  ASSERT_TRUE(index->Reset(16 + kFiles));
  index->Grow(16 + kFiles);
  TNtfsVolumeIndex::TBatch batch;
  batch.Into(index->FileSlots());
  const auto add = [&](std::uint32_t record, bool folder, const std::string& name) {
    std::vector<std::uint8_t> utf16;
    for (const char c : name) utf16.insert(utf16.end(), {static_cast<std::uint8_t>(c), 0});
    TNtfsRecordFacts facts;
    facts.IsDirectory = folder;
    facts.Sequence = 1;
    facts.DataSize = folder ? 0 : record * 3ULL;
    facts.Names.push_back(
        {TNtfsVolumeIndex::RootRecord, 1, utf16.data(), static_cast<std::uint8_t>(name.size())});
    batch.Add(record, facts);
  };
  add(TNtfsVolumeIndex::RootRecord, true, ".");
  for (std::uint32_t f = 0; f < kFiles; ++f) add(16 + f, false, "f" + std::to_string(f));
  index->Append(batch);
  index->Finish(TNtfsUpcase());
  TNtfsDirectoryLister lister(index, TPathStyle::Posix);
  TDirEntry entry;
  for (int pass = 0; pass < 2; ++pass) {
    ASSERT_TRUE(lister.EnterRoot("/", false)) << pass;
    std::size_t listed = 0;
    std::size_t wrong = 0;
    while (lister.Next(entry)) {
      ++listed;
      wrong += entry.Size != lister.LastRecord() * 3ULL ||
               entry.Name != "f" + std::to_string(lister.LastRecord() - 16);
    }
    lister.Leave();
    EXPECT_EQ(listed, kFiles);
    EXPECT_EQ(wrong, 0U);
  }
  EXPECT_GT(index->ReleasedBytes(), std::size_t{kFiles} * sizeof(TNtfsVolumeIndex::TFile) / 2);
}

}  // namespace
}  // namespace Vellumetric
