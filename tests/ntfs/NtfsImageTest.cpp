// The MFT engine against images made at test time by libntfs-3g: every folder's totals must
// agree with what the image tool was asked to make and with the library's own directory walk,
// and every file must be there with its size.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

#include "TNtfsImage.h"
#include "TNtfsScan.h"
#include "model/TFileDisk.h"
#include "system/ntfs/NtfsVolumeSource.h"
#include "system/ntfs/TNtfsMftReader.h"

namespace Vellumetric {
namespace {

using namespace Testing;

#define SKIP_WITHOUT_NTFS_TOOLS()                         \
  do {                                                    \
    std::string why;                                      \
    if (!TNtfsImage::Available(why)) GTEST_SKIP() << why; \
  } while (false)

std::vector<std::pair<std::string, std::uint64_t>> LibraryFiles(const TNtfsImage& image) {
  std::vector<std::pair<std::string, std::uint64_t>> files;
  for (const TImageName& n : image.Library()) {
    if (n.Kind == 'f') files.emplace_back(n.Path, n.Size);
  }
  return files;
}

// The same files with the same sizes; on a difference, the first one, which a plain comparison
// of two lists of 100,000 names would not show. Not in the same order: the engine lists a folder
// in its index's order, as Windows does, while the library's readdir goes through the index
// blocks as they lie, which in a large folder is another order.
void ExpectSameFiles(std::vector<std::pair<std::string, std::uint64_t>> engine,
                     std::vector<std::pair<std::string, std::uint64_t>> library) {
  EXPECT_EQ(engine.size(), library.size());
  std::sort(engine.begin(), engine.end());
  std::sort(library.begin(), library.end());
  for (std::size_t i = 0; i < std::min(engine.size(), library.size()); ++i) {
    if (engine[i] == library[i]) continue;
    ADD_FAILURE() << "file " << i << ": the engine has " << engine[i].first << " ("
                  << engine[i].second << "), the library " << library[i].first << " ("
                  << library[i].second << ")";
    return;
  }
}

// Everything a real volume holds that a reader can get wrong, in one image.
void FillRichImage(TNtfsImage& image) {
  image.Dir("nested");
  std::string path = "nested";
  for (int depth = 1; depth <= 6; ++depth) {
    path += "/level" + std::to_string(depth);
    image.Dir(path);
    // Resident (a few hundred bytes stay inside the record) and non-resident sizes.
    for (std::uint64_t size : {0ULL, 1ULL, 600ULL, 4095ULL, 4096ULL, 4097ULL, 1048579ULL}) {
      image.File(path + "/f" + std::to_string(size) + ".bin", size * depth);
    }
  }
  image.Dir("links");
  image.Dir("links/other");
  image.File("links/original.dat", 70000);
  image.Link("links/original.dat", "links/second name.dat");
  image.Link("links/original.dat", "links/other/third.dat");
  image.Dir("links400");
  image.File("links400/target.txt", 12345);
  for (int i = 1; i < 400; ++i) {
    image.Link("links400/target.txt", "links400/link" + std::to_string(i) + ".txt");
  }
  image.Dir("special");
  image.Sparse("special/sparse.vhd", 64ULL << 20, 4096);
  image.Dir("special/packed");
  image.Compress("special/packed");
  image.File("special/packed/squeezed.log", 300000);
  image.File("special/with streams.txt", 2000);
  image.Stream("special/with streams.txt", "Zone.Identifier", 26);
  image.Stream("special/with streams.txt", "big stream", 50000);
  // A cloud placeholder: a reparse point the engine records and never follows, and the flag
  // that says its data lives elsewhere (the library does not set the recall flags).
  image.File("special/cloud.docx", 5000);
  image.Raw("reparse\tspecial/cloud.docx\t9000001A");
  image.Raw("attrib\tspecial/cloud.docx\t1020");
  image.Dir("names");
  image.File("names/日本語のファイル名.txt", 11);
  image.File("names/emoji \xF0\x9F\x98\x80.png", 22);
  image.File("names/" + std::string(255, 'L'), 33);
  image.File("names/Case.txt", 44);
  image.File("names/case.txt", 55);
  image.File("names/A long document name.docx", 66);
  image.DosName("names/A long document name.docx", "ALONGD~1.DOC");
  image.Dir("names/Program Files");
  image.DosName("names/Program Files", "PROGRA~1");
  image.File("names/Program Files/app.exe", 77);
  image.Dir("gone");
  image.File("gone/a", 5000);
  image.File("gone/b", 10);
  image.Delete("gone/a");
  image.Delete("gone/b");
  image.Delete("gone");
  image.File("deleted-later.bin", 9000);
  image.Delete("deleted-later.bin");
}

TEST(NtfsImage, EveryFolderAgreesWithTheToolAndTheLibraryWalk) {
  SKIP_WITHOUT_NTFS_TOOLS();
  TNtfsImage image;
  FillRichImage(image);
  std::string error;
  ASSERT_TRUE(image.Build(error)) << error;
  TNtfsScan scan;
  scan.Run(image.Path());
  ASSERT_TRUE(scan.Report->UsedMft) << scan.Report->FallbackReason;
  EXPECT_EQ(scan.Report->DamagedRecords, 0u);

  const auto engine = scan.Totals();
  const auto made = TNtfsImage::Totals(image.ExpectedList());
  const auto walked = TNtfsImage::Totals(image.Library());
  EXPECT_EQ(made, walked) << "the two truths disagree: the image tool is at fault";
  ASSERT_EQ(engine.size(), made.size());
  for (const auto& [folder, totals] : made) {
    ASSERT_TRUE(engine.count(folder)) << folder;
    EXPECT_EQ(engine.at(folder), totals) << "folder \"" << folder << "\"";
  }
  // On disk: the library's clusters of every attribute, each file once, every folder's index;
  // on the root and every folder no hard link crosses.
  const auto disk = scan.DiskTotals();
  const auto libraryDisk = TNtfsImage::DiskTotals(image.Library());
  EXPECT_GT(libraryDisk.size(), made.size() / 2);
  EXPECT_GT(libraryDisk.at(""), 20u << 20);
  for (const auto& [folder, bytes] : libraryDisk) {
    EXPECT_EQ(disk.at(folder), bytes) << "On disk of \"" << folder << "\"";
  }
  // Names byte for byte (Unicode, 255 characters, case twins, no DOS twin, nothing deleted)
  // and sizes.
  ExpectSameFiles(scan.Files(), LibraryFiles(image));
  EXPECT_EQ(made.at("links400").Files, 400u);
  // What a file is, from its record: every name of a linked file marked, whichever was met
  // first; sparse, compressed and online-only streams marked as such.
  std::map<std::string, std::uint8_t> flags;
  const auto files = scan.Files();
  for (TFileId id = 0; id < scan.Records.Count(); ++id)
    flags[files[id].first] = scan.Records.DiskFlags(id);
  EXPECT_EQ(flags.at("links400/link399.txt") & DiskHardLink, DiskHardLink);
  EXPECT_EQ(flags.at("links/original.dat") & DiskHardLink, DiskHardLink);
  EXPECT_EQ(flags.at("nested/level1/f4096.bin"), 0);
  EXPECT_EQ(flags.at("special/sparse.vhd"), DiskSparse);
  EXPECT_EQ(flags.at("special/packed/squeezed.log"), DiskCompressed);
  EXPECT_EQ(flags.at("special/cloud.docx"), DiskOnlineOnly);
}

TEST(NtfsImage, HundredThousandFilesInOneFolderAndAnMftInSeveralPieces) {
  SKIP_WITHOUT_NTFS_TOOLS();
  // A small volume keeps a small zone for the MFT; past it, big files between batches of small
  // ones take the clusters after the MFT, so each time it grows it continues somewhere else.
  // Clusters of 512 bytes, half a record: an extent of an odd number of them ends inside a
  // record, which the reader puts together from two reads.
  TNtfsImage image(400, 512);
  image.Dir("crowd");
  for (int batch = 0; batch < 10; ++batch) {
    image.Many("crowd", 10000, batch == 0 ? 0 : 100, "b" + std::to_string(batch) + "_");
    image.File("filler" + std::to_string(batch) + ".bin", 16ULL << 20);
  }
  std::string error;
  ASSERT_TRUE(image.Build(error)) << error;
  TNtfsScan scan;
  scan.Run(image.Path());
  ASSERT_TRUE(scan.Report->UsedMft) << scan.Report->FallbackReason;
  EXPECT_GT(scan.Report->MftExtents, 2u);
  const auto engine = scan.Totals();
  EXPECT_EQ(engine.at("crowd"), (TFolderTotals{9 * 10000 * 100, 100000, 0}));
  EXPECT_EQ(engine.at(""), TNtfsImage::Totals(image.Library()).at(""));
  ExpectSameFiles(scan.Files(), LibraryFiles(image));

  // Read as a Windows volume is, whole pieces ahead of the parsing: the same files in the same
  // order.
  TNtfsScan fromDisk;
  fromDisk.Run(image.Path(), OpenDiskLike);
  ASSERT_TRUE(fromDisk.Report->UsedMft) << fromDisk.Report->FallbackReason;
  EXPECT_TRUE(fromDisk.Files() == scan.Files());
}

}  // namespace
}  // namespace Vellumetric
