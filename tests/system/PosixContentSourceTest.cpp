// Reading files for the duplicate search on POSIX: what is opened and what is not, identities,
// and the disk kind against what lsblk says of the same device.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "TTempDir.h"
#include "system/TContentSource.h"

namespace Vellumetric {
namespace {

using namespace Testing;

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  while (!text.empty() && text.front() == ' ') text.erase(0, 1);
  return text;
}

TEST(PosixContentSource, OpensRegularFilesOnlyAndNamesOneFileByItsIdentity) {
  TTempDir tmp;
  std::ofstream(tmp / "a") << "0123456789";
  ASSERT_EQ(::link((tmp / "a").c_str(), (tmp / "b").c_str()), 0);
  std::ofstream(tmp / "c") << "0123456789";
  ASSERT_EQ(::symlink("a", (tmp / "link").c_str()), 0);
  ASSERT_EQ(::mkfifo((tmp / "pipe").c_str(), 0644), 0);
  const auto source = CreateContentSource();
  std::unique_ptr<TOpenFile> a, b, c, none;
  ASSERT_EQ(source->Open(tmp / "a", a), TOpenOutcome::Opened);
  ASSERT_EQ(source->Open(tmp / "b", b), TOpenOutcome::Opened);
  ASSERT_EQ(source->Open(tmp / "c", c), TOpenOutcome::Opened);
  EXPECT_EQ(a->Identity(), b->Identity());
  EXPECT_NE(a->Identity(), c->Identity());
  // A link is not followed, and a pipe is neither waited on nor read.
  EXPECT_EQ(source->Open(tmp / "link", none), TOpenOutcome::NotRegular);
  EXPECT_EQ(source->Open(tmp / "pipe", none), TOpenOutcome::NotRegular);
  EXPECT_EQ(source->Open(tmp / "gone", none), TOpenOutcome::Vanished);
  // From a folder: the start of a file, and a link still not followed.
  const auto folder = source->EnterFolder(tmp.Path(), "/");
  std::string start(4, '\0');
  std::size_t got = 0;
  EXPECT_EQ(folder->ReadStart("c", std::as_writable_bytes(std::span(start)), got, false),
            TOpenOutcome::Opened);
  EXPECT_EQ(got, 4u);
  EXPECT_EQ(start, "0123");
  EXPECT_EQ(folder->ReadStart("link", std::as_writable_bytes(std::span(start)), got, false),
            TOpenOutcome::NotRegular);
  // The file was just written, so the page cache holds it.
  EXPECT_EQ(folder->ReadStart("a", std::as_writable_bytes(std::span(start)), got, true),
            TOpenOutcome::Opened);
}

TEST(PosixContentSource, SpinningDiskAsLsblkSaysOfTheDeviceHoldingTheFolder) {
  TTempDir tmp;
  const std::string device = Trimmed(
      RunCommand("findmnt -n -o SOURCE --target " + ShellQuote(tmp.Path()) + " 2>/dev/null"));
  if (device.rfind("/dev/", 0) != 0) GTEST_SKIP() << "no block device holds " << tmp.Path();
  const std::string rota =
      Trimmed(RunCommand("lsblk -n -d -o ROTA " + ShellQuote(device) + " 2>/dev/null"));
  if (rota != "0" && rota != "1") GTEST_SKIP() << "lsblk says nothing of " << device;
  EXPECT_EQ(CreateContentSource()->OnSpinningDisk(tmp.Path()), rota == "1") << device;
}

}  // namespace
}  // namespace Vellumetric
