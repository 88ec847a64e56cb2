// Damaged volumes: a damaged record is skipped and counted, everything else stays; a volume the
// engine cannot trust makes the scan walk folders instead, and says why.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "TNtfsImage.h"
#include "TNtfsScan.h"
#include "TTempDir.h"
#include "system/NativePlatform.h"
#include "system/ntfs/TNtfsMftReader.h"

namespace Vellumetric {
namespace {

using namespace Testing;

std::vector<std::uint8_t> ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A small volume whose bytes the tests damage in memory.
class NtfsDamage : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    if (!TNtfsImage::Available(why)) GTEST_SKIP() << why;
    Image = std::make_unique<TNtfsImage>(64);
    Image->Dir("docs");
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"}) {
      Image->File(std::string("docs/") + name, 5000);
    }
    Image->Dir("docs/sub");
    Image->File("docs/sub/f.txt", 100);
    std::string error;
    ASSERT_TRUE(Image->Build(error)) << error;
    Bytes = ReadWhole(Image->Path());
    TNtfsMemorySource source(Bytes);
    TNtfsVolumeIndex index;
    TNtfsMftReader reader(source);
    ASSERT_TRUE(reader.Load(index)) << reader.Reason();
    Boot = reader.Boot();
    MftOffset = static_cast<std::uint64_t>(reader.MftRuns().at(0).Lcn) * Boot.ClusterSize;
  }

  std::uint64_t RecordOf(const std::string& path) const {
    for (const TImageName& n : Image->Library()) {
      if (n.Path == path) return n.Record;
    }
    ADD_FAILURE() << path << " is not on the image";
    return 0;
  }
  std::uint8_t* Record(std::uint64_t number) {
    return Bytes.data() + MftOffset + number * Boot.RecordSize;
  }
  // The engine over the damaged bytes, with a fallback listing of a real folder.
  void Scan(TNtfsScan& scan, const std::string& fallbackRoot = {}) {
    auto open = [this](std::string_view, std::string&) {
      return std::make_unique<TNtfsMemorySource>(Bytes);
    };
    if (fallbackRoot.empty()) {
      scan.Run(Image->Path(), open);
      return;
    }
    auto lister = std::make_unique<TNtfsEngineLister>(
        TScanEngineChoice::Auto, open, CreateDirectoryLister(), TPathStyle::Posix, scan.Report);
    TVLMDiskAnalyzerThread thread(scan.Bridge, std::move(lister));
    thread.Roots = {fallbackRoot};
    thread.FolderTree = &scan.Tree;
    thread.ProgressBar = &scan.Bridge;
    thread.SubfolderCount = &scan.Subfolders;
    thread.Scanning = &scan.Scanning;
    thread.TypedFiles = &scan.Typed;
    thread.Extensions = &scan.Extensions;
    thread.BiggestFiles = &scan.Biggest;
    thread.Resume();
    thread.WaitFor();
  }

  std::unique_ptr<TNtfsImage> Image;
  std::vector<std::uint8_t> Bytes;
  TNtfsBootSector Boot;
  std::uint64_t MftOffset = 0;
};

TEST_F(NtfsDamage, DamagedRecordsAreSkippedAndCountedAndTheRestIsWhole) {
  // c.txt: torn (one stride's check value lost); d.txt: an attribute length pointing far past
  // the record, after its fixups were redone so only the attribute is wrong.
  Record(RecordOf("docs/c.txt"))[510] ^= 0x5A;
  std::uint8_t* d = Record(RecordOf("docs/d.txt"));
  const std::uint16_t first = static_cast<std::uint16_t>(d[20] | (d[21] << 8));
  d[first + 4] = 0xF0;
  d[first + 5] = 0xFF;
  TNtfsScan scan;
  Scan(scan);
  ASSERT_TRUE(scan.Report->UsedMft) << scan.Report->FallbackReason;
  EXPECT_EQ(scan.Report->DamagedRecords, 2u);
  EXPECT_EQ(scan.Totals().at("docs"), (TFolderTotals{3 * 5000 + 100, 4, 1}));
}

TEST_F(NtfsDamage, AVolumeThatCannotBeTrustedFallsBackToTheListingWithTheReason) {
  TTempDir folder;
  MakeFile(folder / "real.bin", 1234);
  const std::vector<std::uint8_t> good = Bytes;
  struct TCase {
    const char* What;
    std::function<void()> Damage;
    const char* Reason;
  };
  const std::vector<TCase> cases = {
      {"boot sector", [&] { std::memset(Bytes.data(), 0, 512); }, "not an NTFS volume"},
      {"$MFT record", [&] { std::memset(Record(0), 0xAB, Boot.RecordSize); },
       "damaged MFT: its own record cannot be read"},
      {"root record", [&] { std::memset(Record(5) + 24, 0xCD, 200); },
       "damaged MFT: the root folder's record is unusable"},
      {"cut short", [&] { Bytes.resize(MftOffset + 8 * Boot.RecordSize); }, "damaged MFT"},
      {"MFT size", [&] { std::memset(Record(0) + 100, 0xFF, 400); }, "damaged MFT"},
  };
  for (const TCase& c : cases) {
    Bytes = good;
    c.Damage();
    TNtfsScan scan;
    Scan(scan, folder.Path());
    EXPECT_FALSE(scan.Report->UsedMft) << c.What;
    EXPECT_EQ(scan.Report->FallbackReason.rfind(c.Reason, 0), 0u)
        << c.What << ": " << scan.Report->FallbackReason;
    EXPECT_EQ(scan.Tree.Data(scan.Tree.FirstChild(NoNode)).Size, 1234u) << c.What;
  }
}

}  // namespace
}  // namespace Vellumetric
