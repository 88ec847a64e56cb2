// vellumetric-cli over an image: the report from the MFT is the report of a walk of the same
// files mounted, and an engine that cannot run says why.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "TNtfsImage.h"
#include "TTempDir.h"

namespace Vellumetric {
namespace {

using namespace Testing;

const std::string kCli = VLM_CLI_PATH;

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) {
    text.replace(at, from.size(), to);
  }
  return text;
}

// Where ntfs-3g's view and Windows' differ the image holds nothing: no DOS short names (ntfs-3g
// counts them as links), no streams (its block count leaves them out), no reparse points (it
// shows their data as the size), no compressed file (the walk can only see fewer blocks and
// calls it sparse) and no folder large enough for its index to need index blocks (ntfs-3g lists
// those in their order on the volume). Resident files are left out too: ntfs-3g gives them a
// block of 512 bytes, where they hold no cluster.
TEST(NtfsCli, JsonIsByteForByteTheWalkOfTheMountedImage) {
  std::string why;
  if (!TNtfsImage::Available(why)) GTEST_SKIP() << why;
  if (::geteuid() != 0) GTEST_SKIP() << "mounting the image with ntfs-3g needs root";
  TNtfsImage image(256);
  image.Dir("Documents");
  image.Dir("Documents/Reports 2026");
  image.File("Documents/Reports 2026/annual.pdf", 2500000);
  image.File("Documents/Reports 2026/notes.txt", 1500);
  image.File("Documents/Übersicht.xlsx", 90001);
  image.Link("Documents/Übersicht.xlsx", "Documents/copy of Übersicht.xlsx");
  image.Dir("Media");
  image.File("Media/holiday.mkv", 40000003);
  image.Link("Documents/Reports 2026/annual.pdf", "Media/annual.pdf");
  image.Sparse("Media/disk.vhd", 100ULL << 20, 8192);
  image.File("写真.jpg", 123457);
  std::string error;
  ASSERT_TRUE(image.Build(error)) << error;
  const std::string mount = image.Folder() + "/mnt";
  MakeFolders(mount);
  int status = 0;
  // Its messages go to a file: the mount's daemon may keep whatever it was given as output
  // open, and a pipe read to its end would then wait for ever.
  const std::string log = ShellQuote(image.Folder() + "/mount.log");
  RunCommand("ntfs-3g -o ro " + ShellQuote(image.Path()) + " " + ShellQuote(mount) + " >" + log +
                 " 2>&1 </dev/null",
             &status);
  if (status != 0) GTEST_SKIP() << "ntfs-3g cannot mount here: " << RunCommand("cat " + log);
  const std::string walk =
      RunCommand(ShellQuote(kCli) + " scan " + ShellQuote(mount) + " --drive --json --no-history");
  // ntfs-3g may hold the mount for a moment after its last reader has gone.
  RunCommand("for i in 1 2 3 4 5; do umount " + ShellQuote(mount) +
             " 2>/dev/null && break; sleep 1; done; mountpoint -q " + ShellQuote(mount) +
             " && umount -l " + ShellQuote(mount));
  const std::string mft = RunCommand(
      ShellQuote(kCli) + " scan --ntfs " + ShellQuote(image.Path()) + " --json --no-history",
      &status);
  EXPECT_EQ(status, 0);
  ASSERT_NE(walk.find("holiday.mkv"), std::string::npos) << walk;
  // The root is named by what was scanned: the mount point there, the image here.
  EXPECT_EQ(ReplaceAll(mft, image.Path(), mount), walk);
}

TEST(NtfsCli, AnEngineThatCannotRunSaysWhy) {
  TTempDir tmp;
  MakeFile(tmp / "plain.bin", 1 << 20);
  int status = 0;
  EXPECT_EQ(
      RunCommand(
          ShellQuote(kCli) + " scan --ntfs " + ShellQuote(tmp / "plain.bin") + " --quiet 2>&1",
          &status),
      "cannot scan " + tmp / "plain.bin" + " through its master file table: not an NTFS volume\n");
  EXPECT_EQ(status, 1);
  EXPECT_EQ(
      RunCommand(ShellQuote(kCli) + " scan --ntfs " + ShellQuote(tmp / "none") + " --quiet 2>&1",
                 &status),
      "cannot scan " + tmp / "none" + " through its master file table: cannot open " +
          tmp / "none" + ": No such file or directory\n");
  EXPECT_EQ(status, 1);
  // A drive on Linux is a mount point, listed as always; the MFT only when asked for.
  EXPECT_EQ(RunCommand(ShellQuote(kCli) + " scan " + ShellQuote(tmp.Path()) +
                           " --drive --engine mft --quiet 2>&1",
                       &status),
            "cannot scan " + tmp.Path() + " through its master file table: " + tmp.Path() +
                " is neither an image file nor a partition\n");
  EXPECT_EQ(status, 1);
  EXPECT_EQ(
      RunCommand(ShellQuote(kCli) + " scan " + ShellQuote(tmp.Path()) + " --drive --quiet 2>&1",
                 &status)
          .rfind("size=1048576 files=1 folders=0 unreadable=0 disk=", 0),
      0u);
  EXPECT_EQ(RunCommand(ShellQuote(kCli) + " scan " + ShellQuote(tmp.Path()) + " --engine mft 2>&1",
                       &status)
                .rfind("vellumetric-cli: --engine needs --drive or --ntfs", 0),
            0u);
  EXPECT_EQ(status, 2);
}

}  // namespace
}  // namespace Vellumetric
