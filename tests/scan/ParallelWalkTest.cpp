// The parallel walk in process: everything the window reads equals the one-thread walk's, and
// a cancel at any moment leaves no thread and no descriptor behind.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <string>
#include <thread>

#include "Numbered.h"
#include "TRandomTree.h"
#include "TScanHarness.h"
#include "TTempDir.h"
#include "TTreeBuilder.h"
#include "ThreadCount.h"
#include "model/VLMMessages.h"

namespace Vellumetric {
namespace {

using namespace Testing;

// Every field of every node in id order (the order of creation), every typed record and
// biggest file in list order, and the window's calls.
std::string Everything(const TScanHarness& scan) {
  std::string out;
  for (TNodeId id = 0; id < scan.Tree.Count(); ++id) {
    const TFolderData& d = scan.Tree.Data(id);
    out += std::to_string(scan.Tree.Parent(id)) + "|" + std::string(d.Name()) + "|" + d.Path.Str() +
           "|" + std::to_string(d.Size) + "|" + std::to_string(d.FileCount) + "|" +
           std::to_string(d.FolderCount) + "|" + std::to_string(d.ReadError) + "|" +
           std::to_string(d.UnreadableBelow) + (d.Complete ? "C" : "") +
           (d.ParentComplete ? "P" : "") + "\n";
  }
  for (std::size_t i = 0; i < scan.Typed.Count(); ++i) {
    const TTypedFile f = scan.Typed.At(scan.Records, i);
    const TFileRecord& r = scan.Records.Record(f.File);
    out += "typed " + std::string(scan.Records.Name(f.File)) + "|" +
           scan.Tree.Data(r.Folder).Path.Str() + "|" + std::to_string(r.Size) + "|" +
           std::to_string(f.GroupID) + "|" + std::to_string(f.LastAccess) + "\n";
  }
  for (TFileId id = 0; id < scan.Records.Count(); ++id) {
    out += "file " + std::string(scan.Records.Name(id)) + "|" +
           std::to_string(scan.Records.LastAccess(id)) + "|" +
           std::to_string(scan.Records.LastChange(id)) + "\n";
  }
  for (std::size_t i = 0; i < scan.Biggest.Count(); ++i) {
    out += "big " + scan.Biggest[i].Name + "|" + scan.Biggest[i].Path.Str() + "\n";
  }
  for (const std::string& call : scan.Bridge.Log) out += call + "\n";
  return out;
}

TEST(ParallelWalk, TreeListsAndProgressEqualTheOneThreadWalk) {
  for (std::uint32_t seed = 101; seed <= 108; ++seed) {
    TTempDir tmp;
    MakeRandomTree(tmp.Path(), seed, false);
    TScanHarness one;
    one.Threads = 1;
    one.Run(tmp.Path());
    ASSERT_GT(one.Tree.Count(), 1u);
    for (int threads : {2, 4, 8}) {
      TScanHarness many;
      many.Threads = threads;
      many.Run(tmp.Path());
      EXPECT_TRUE(Everything(many) == Everything(one))
          << "seed " << seed << ", threads " << threads;
    }
  }
}

// Wide and deep at once: eight chains, each folder holding files besides its subfolder so that
// no folder can give up its descriptor early. With the process allowed few more descriptors than
// the budget, any leak past the budget would make folders fail to open.
TEST(ParallelWalk, EightThreadsKeepTheDescriptorBudgetTogether) {
  TTempDir tmp;
  for (int chain = 0; chain < 8; ++chain) {
    const std::string top = tmp / ("chain" + std::to_string(chain));
    ASSERT_EQ(::mkdir(top.c_str(), 0755), 0);
    // Listing order follows name hashes; with six names beside "d", some come after it.
    int fd = ::open(top.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int level = 0; level < 300 && fd >= 0; ++level) {
      for (int i = 0; i < 6; ++i)
        ::close(::openat(fd, Numbered("f", i).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
      ASSERT_EQ(::mkdirat(fd, "d", 0755), 0);
      const int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      ::close(fd);
      fd = next;
    }
    ::close(fd);
  }
  struct rlimit saved {};
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
  struct rlimit tight = saved;
  tight.rlim_cur = 300;
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
  TScanHarness scan;
  scan.Threads = 8;
  scan.Run(tmp.Path());
  ::setrlimit(RLIMIT_NOFILE, &saved);
  EXPECT_EQ(scan.Root().UnreadableBelow, 0u);
  const TDiskTruth truth = MeasureWithDuAndFind(tmp.Path());
  EXPECT_EQ(scan.Root().Size, truth.Size);
  EXPECT_EQ(scan.Root().FileCount + scan.Root().FolderCount, truth.Entries);
}

std::size_t CountEntries(const char* folder) {
  std::size_t n = 0;
  if (DIR* d = ::opendir(folder)) {
    while (::readdir(d)) ++n;
    ::closedir(d);
  }
  return n;
}

TEST(ParallelWalk, TwoHundredCancelsLeaveNoThreadOrDescriptor) {
  TTempDir tmp;
  for (std::uint32_t seed = 0; seed < 8; ++seed) {
    const std::string part = tmp / std::to_string(seed);
    ::mkdir(part.c_str(), 0755);
    MakeRandomTree(part, seed, false);
  }
  // Cancels fall anywhere within the time a whole scan takes here.
  const auto began = std::chrono::steady_clock::now();
  TScanHarness whole;
  whole.Run(tmp.Path());
  const auto full = std::chrono::duration_cast<std::chrono::microseconds>(
                        std::chrono::steady_clock::now() - began)
                        .count();
  const std::size_t fdsBefore = CountEntries("/proc/self/fd");
  const int threadsBefore = SettledThreadCount();
  std::mt19937 rng(7);
  int cancelled = 0;
  auto slowest = std::chrono::steady_clock::duration::zero();
  for (int i = 0; i < 200; ++i) {
    TScanHarness scan;
    TVLMDiskAnalyzerThread thread(scan.Bridge, CreateDirectoryLister());
    thread.Roots = {tmp.Path()};
    thread.FolderTree = &scan.Tree;
    thread.ProgressBar = &scan.Bridge;
    thread.SubfolderCount = &scan.Subfolders;
    thread.Scanning = &scan.Scanning;
    thread.TypedFiles = &scan.Typed;
    thread.Extensions = &scan.Extensions;
    thread.BiggestFiles = &scan.Biggest;
    thread.Threads = 2 + i % 7;
    thread.Resume();
    std::this_thread::sleep_for(std::chrono::microseconds(rng() % (full + 1)));
    const auto asked = std::chrono::steady_clock::now();
    thread.CancelScan();
    thread.WaitFor();
    slowest = std::max(slowest, std::chrono::steady_clock::now() - asked);
    // A scan may also have ended just before the cancel; either way it ends with one message.
    ASSERT_EQ(scan.Bridge.Posted.size(), 1u);
    EXPECT_TRUE(scan.Bridge.Posted[0] == WM_SCAN_CANCELLED ||
                scan.Bridge.Posted[0] == WM_SCAN_FINISHED);
    cancelled += scan.Bridge.Posted[0] == WM_SCAN_CANCELLED ? 1 : 0;
    for (TNodeId id = 0; id < scan.Tree.Count(); ++id) EXPECT_TRUE(scan.Tree.Data(id).Complete);
    EXPECT_FALSE(scan.Scanning.load());
    ASSERT_EQ(CountEntries("/proc/self/fd"), fdsBefore) << "cancel " << i;
    // Read at once while it matches, so that 200 rounds do not wait for it to settle.
    if (ThreadCount() != threadsBefore) {
      ASSERT_EQ(SettledThreadCount(), threadsBefore) << "cancel " << i;
    }
  }
  EXPECT_GT(cancelled, 0);
  // Reported, not asserted: a loaded machine may stretch any time.
  std::printf("%d of 200 scans stopped by the cancel; slowest stop %.1f ms\n", cancelled,
              std::chrono::duration<double, std::milli>(slowest).count());
}

}  // namespace
}  // namespace Vellumetric
