#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <string>

#include "TTempDir.h"
#include "system/posix/TPosixDirectoryLister.h"

namespace Vellumetric {
namespace {

using Testing::MakeFile;
using Testing::RunCommand;
using Testing::ShellQuote;
using Testing::TTempDir;

// Lists the whole tree through the lister, recursing on the test's own stack, and records each
// relative path with its size ("d" marks folders).
void ListAll(TPosixDirectoryLister& lister, const std::string& rel,
             std::map<std::string, std::string>& seen, std::size_t& maxOpen) {
  TDirEntry e;
  while (lister.Next(e)) {
    const std::string path = rel.empty() ? std::string(e.Name) : rel + "/" + std::string(e.Name);
    seen[path] = e.IsDirectory ? "d" : std::to_string(e.Size);
    maxOpen = std::max(maxOpen, lister.OpenDescriptors());
    if (e.IsDirectory && lister.EnterChild(e.Name, path)) {
      ListAll(lister, path, seen, maxOpen);
      lister.Leave();
    }
  }
}

std::map<std::string, std::string> FindTruth(const std::string& root) {
  std::map<std::string, std::string> truth;
  const std::string out =
      RunCommand("cd " + ShellQuote(root) + " && find . -mindepth 1 -printf '%y %s %P\\0'");
  for (std::size_t i = 0; i < out.size();) {
    const std::size_t end = out.find('\0', i);
    const std::string rec = out.substr(i, end - i);
    const std::size_t sp = rec.find(' ', 2);
    truth[rec.substr(sp + 1)] = rec[0] == 'd' ? "d" : rec.substr(2, sp - 2);
    i = end + 1;
  }
  return truth;
}

TEST(TPosixDirectoryLister, DeepTreeWithSiblingsStaysWithinTheDescriptorBudget) {
  TTempDir tmp;
  // 60 levels; every level holds a file listed after its subfolder and a second subfolder, so
  // no level can give up its descriptor early and the budget of 4 must lend and restore.
  std::string dir = tmp.Path();
  for (int level = 0; level < 60; ++level) {
    ASSERT_EQ(::mkdir((dir + "/a").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((dir + "/z").c_str(), 0755), 0);
    MakeFile(dir + "/f" + std::to_string(level), static_cast<unsigned>(level));
    MakeFile(dir + "/z/g", 7);
    dir += "/a";
  }
  TPosixDirectoryLister lister(4);
  ASSERT_TRUE(lister.EnterRoot(tmp.Path(), false));
  std::map<std::string, std::string> seen;
  std::size_t maxOpen = 0;
  ListAll(lister, "", seen, maxOpen);
  lister.Leave();
  EXPECT_EQ(seen, FindTruth(tmp.Path()));
  EXPECT_LE(maxOpen, 5u);
  EXPECT_EQ(lister.OpenDescriptors(), 0u);
}

TEST(TPosixDirectoryLister, LinksAreNotFollowedAndTimesAreFileTimes) {
  TTempDir tmp;
  ASSERT_EQ(::mkdir(tmp.operator/("real").c_str(), 0755), 0);
  MakeFile(tmp / "real/data", 12345);
  ASSERT_EQ(::symlink("real", (tmp / "link").c_str()), 0);
  ASSERT_EQ(::symlink("loop", (tmp / "loop").c_str()), 0);
  struct timespec times[2] = {{1700000000, 123456789}, {1600000000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, (tmp / "real/data").c_str(), times, AT_SYMLINK_NOFOLLOW), 0);

  TPosixDirectoryLister lister;
  ASSERT_TRUE(lister.EnterRoot(tmp.Path(), false));
  std::map<std::string, std::string> seen;
  std::size_t maxOpen = 0;
  ListAll(lister, "", seen, maxOpen);
  lister.Leave();
  EXPECT_EQ(seen["link"], "4");  // the link's own size: strlen("real")
  EXPECT_EQ(seen["loop"], "4");
  EXPECT_EQ(seen.count("link/data"), 0u);

  ASSERT_TRUE(lister.EnterRoot(tmp / "real", false));
  TDirEntry e;
  ASSERT_TRUE(lister.Next(e));
  EXPECT_EQ(e.LastAccess, (1700000000ULL + 11644473600ULL) * 10000000ULL + 1234567ULL);
  EXPECT_EQ(e.LastChange, (1600000000ULL + 11644473600ULL) * 10000000ULL);  // st_mtim
  lister.Leave();
}

TEST(TPosixDirectoryLister, MissingRootAndFileRootCannotBeListed) {
  TTempDir tmp;
  MakeFile(tmp / "file", 1);
  TPosixDirectoryLister lister;
  EXPECT_FALSE(lister.EnterRoot(tmp / "nothing", false));
  EXPECT_FALSE(lister.EnterRoot(tmp / "file", false));
  EXPECT_EQ(lister.OpenDescriptors(), 0u);
}

TEST(TPosixDirectoryLister, VirtualFileSystemsAreNeverEntered) {
  TPosixDirectoryLister lister;
  EXPECT_FALSE(lister.EnterRoot("/proc", false));
  if (::access("/sys/kernel", F_OK) == 0) {
    EXPECT_FALSE(lister.EnterRoot("/sys", false));
  }
}

}  // namespace
}  // namespace Vellumetric
