#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "Numbered.h"
#include "TFakeDirectoryLister.h"
#include "TRecordingBridge.h"
#include "filetypes/DefaultFileTypes.h"
#include "model/VLMMessages.h"
#include "scan/TVLMDiskAnalyzerThread.h"
#include "system/NativePlatform.h"

namespace Vellumetric {
namespace {

using Testing::Numbered;
using Testing::TFakeDirectoryLister;
using Testing::TRecordingBridge;
using E = TFakeDirectoryLister::TEntry;

constexpr TWindowHandle kProgressWindow = 77;

E Dir(const std::string& name, std::uint64_t ownSize = 0) {
  return {name, true, ownSize, 0};
}
E File(const std::string& name, std::uint64_t size, std::uint64_t atime = 0) {
  return {name, false, size, atime};
}

// Everything the analyzer window owns for one scan, wired to a thread over a fake file system.
struct TScanRun {
  TRecordingBridge Bridge;
  TFolderTree Tree;
  TTypedFileList Typed;
  TFileRecordStore Records;
  TBiggestFileList Biggest;
  TFileExtList Extensions = DefaultExtensionList();
  std::atomic<bool> Scanning{false};
  std::atomic<std::int32_t> Subfolders{0};
  TFakeDirectoryLister* Fs = nullptr;
  std::unique_ptr<TVLMDiskAnalyzerThread> Thread;

  explicit TScanRun(TPathStyle style = TPathStyle::Windows) {
    auto lister = std::make_unique<TFakeDirectoryLister>(style);
    Fs = lister.get();
    Thread = std::make_unique<TVLMDiskAnalyzerThread>(Bridge, std::move(lister));
    Thread->FolderTree = &Tree;
    Thread->ProgressBar = &Bridge;
    Thread->SubfolderCount = &Subfolders;
    Thread->Scanning = &Scanning;
    Thread->TypedFiles = &Typed;
    Thread->FileRecords = &Records;
    Thread->Extensions = &Extensions;
    Thread->BiggestFiles = &Biggest;
    Thread->NotifyWindow = kProgressWindow;
  }

  void Run(std::vector<std::string> roots, bool drives) {
    Thread->Roots = std::move(roots);
    Thread->RootsAreDrives = drives;
    Thread->Resume();
    Thread->WaitFor();
  }

  // A typed file's name and the raw path of its folder, as its file record gives them.
  std::string TypedName(std::size_t i) const {
    return std::string(Records.Name(Typed.At(Records, i).File));
  }
  const TPathText& TypedPath(std::size_t i) const {
    return Tree.Data(Records.Record(Typed.At(Records, i).File).Folder).Path;
  }

  const TFolderData& Node(const std::string& path) const {
    for (TNodeId id = 0; id < Tree.Count(); ++id) {
      if (Tree.Data(id).Path == path) return Tree.Data(id);
    }
    throw std::runtime_error("no node " + path);
  }
  std::vector<std::string> Paths() const {
    std::vector<std::string> paths;
    for (TNodeId id = 0; id < Tree.Count(); ++id) paths.push_back(Tree.Data(id).Path.Str());
    return paths;
  }
};

void AddSampleDrive(TFakeDirectoryLister& fs) {
  fs.Add("C:",
         {Dir("."), Dir(".."), Dir("Windows"), File("pagefile.sys", 5ULL << 32), Dir("Data", 10)});
  fs.Add("C:\\Windows", {Dir("System32"), File("notes.TXT", 100, 42)});
  fs.Add("C:\\Windows\\System32", {File("kernel.dll", 5000)});
  fs.Add("C:\\Data", {File("a.mp4", 300), File("Photo.JPG", 300)});
}

TEST(TVLMDiskAnalyzerThread, DriveScanBuildsPathsTotalsAndLists) {
  TScanRun run;
  AddSampleDrive(*run.Fs);
  run.Run({"C:"}, true);

  EXPECT_EQ(run.Paths(),
            (std::vector<std::string>{"C:", "C:\\Windows", "C:\\Windows\\System32", "C:\\Data"}));
  const TFolderData& root = run.Node("C:");
  EXPECT_EQ(root.Name(), "C:");
  EXPECT_EQ(root.Kind, 2);
  EXPECT_EQ(root.Size, (5ULL << 32) + 5000 + 100 + 10 + 600);  // the folder entry's 10 counts
  EXPECT_EQ(root.FileCount, 5u);
  EXPECT_EQ(root.FolderCount, 3u);
  EXPECT_EQ(run.Node("C:\\Windows").Size, 5100u);
  EXPECT_EQ(run.Node("C:\\Windows\\System32").Name(), "System32");
  for (TNodeId id = 0; id < run.Tree.Count(); ++id) {
    EXPECT_TRUE(run.Tree.Data(id).Complete);
    EXPECT_EQ(run.Tree.Data(id).ParentComplete, id != 0);
  }

  // Typed files in the order the depth-first walk met them, each with its folder's raw path.
  ASSERT_EQ(run.Typed.Count(), 3u);
  EXPECT_EQ(run.TypedName(0), "notes.TXT");
  EXPECT_EQ(run.TypedPath(0), "C:\\Windows");
  EXPECT_EQ(run.Typed.At(run.Records, 0).GroupID, 5);
  EXPECT_EQ(run.Typed.At(run.Records, 0).LastAccess, 42u);
  EXPECT_EQ(run.Records.Group(run.Typed.At(run.Records, 0).File), 5);
  EXPECT_EQ(run.TypedName(1), "a.mp4");
  EXPECT_EQ(run.Typed.At(run.Records, 2).GroupID, 0);

  // Every file is offered to the biggest list, typed or not; equal sizes: earlier shown first.
  ASSERT_EQ(run.Biggest.Count(), 5u);
  EXPECT_EQ(run.Biggest[4].Name, "pagefile.sys");
  EXPECT_EQ(run.Biggest[2].Name, "a.mp4");
  EXPECT_EQ(run.Biggest[1].Name, "Photo.JPG");
  EXPECT_EQ(run.Biggest[0].Name, "notes.TXT");
  EXPECT_EQ(run.Biggest[3].Path, "C:\\Windows\\System32");
}

TEST(TVLMDiskAnalyzerThread, ProgressAndEndMessageFollowTheWrittenOrder) {
  TScanRun run;
  AddSampleDrive(*run.Fs);
  bool scanningSeen = false;
  run.Bridge.OnStep = [&] { scanningSeen = scanningSeen || run.Scanning.load(); };
  // The finishing work sees the complete tree on the worker, before the window hears of the end.
  const std::thread::id caller = std::this_thread::get_id();
  run.Thread->AfterWalk = [&] {
    run.Bridge.Log.push_back(
        "finishing on " + std::string(std::this_thread::get_id() == caller ? "caller" : "worker") +
        (run.Tree.Data(run.Tree.FirstChild(NoNode)).Complete ? ", complete" : ""));
  };
  run.Run({"C:"}, true);
  EXPECT_EQ(run.Bridge.Log, (std::vector<std::string>{"range 0..3", "pos 0", "step", "step",
                                                      "expand 0", "finishing on worker, complete",
                                                      "select 0", "step", "post 2026 to 77"}));
  EXPECT_TRUE(scanningSeen);
  EXPECT_FALSE(run.Scanning.load());
  EXPECT_EQ(run.Subfolders.load(), 2);
}

TEST(TVLMDiskAnalyzerThread, HooksRunOnTheWorkerAroundTheWalk) {
  TScanRun run;
  AddSampleDrive(*run.Fs);
  std::vector<std::string> seen;
  const TFileExtList defaults = std::move(run.Extensions);
  run.Extensions.clear();
  run.Thread->BeforeWalk = [&] {
    seen.push_back("before, " + std::to_string(run.Tree.Count()) + " nodes");
    run.Extensions = defaults;  // lists that arrive late still classify this scan
  };
  run.Thread->AfterWalk = [&] {
    seen.push_back(std::to_string(run.Node("C:").FileCount) + " files, " +
                   std::to_string(run.Bridge.Posted.size()) + " posted, scanning " +
                   (run.Scanning.load() ? "on" : "off"));
  };
  run.Run({"C:"}, true);
  EXPECT_EQ(seen, (std::vector<std::string>{"before, 0 nodes", "5 files, 0 posted, scanning on"}));
  EXPECT_EQ(run.Typed.Count(), 3u);
  EXPECT_EQ(run.Bridge.Posted, (std::vector<std::uint32_t>{WM_SCAN_FINISHED}));
}

TEST(TVLMDiskAnalyzerThread, FolderRootWithTrailingBackslashKeepsTheDoubledSeparator) {
  TScanRun run;
  run.Fs->Add("D:\\", {Dir("Data")});
  run.Fs->Add("D:\\\\Data", {File("x.iso", 1)});
  run.Run({"D:\\"}, false);
  EXPECT_EQ(run.Node("D:\\").Name(), "");
  EXPECT_EQ(run.Node("D:\\").Kind, 0);
  EXPECT_EQ(run.Node("D:\\\\Data").FileCount, 1u);
  ASSERT_EQ(run.Typed.Count(), 1u);
  EXPECT_EQ(run.TypedPath(0), "D:\\\\Data");
}

TEST(TVLMDiskAnalyzerThread, EmptyRootAndUnlistableFoldersCountAsEmpty) {
  TScanRun run;
  run.Fs->Add("E:\\Empty", {});
  run.Run({"E:\\Empty"}, false);
  EXPECT_EQ(run.Bridge.Log, (std::vector<std::string>{"range 0..1", "pos 0", "expand 0", "select 0",
                                                      "step", "post 2026 to 77"}));
  EXPECT_EQ(run.Node("E:\\Empty").Name(), "Empty");
  EXPECT_TRUE(run.Node("E:\\Empty").Complete);

  TScanRun denied;
  denied.Fs->Add("F:", {Dir("Locked"), File("a", 3)});
  denied.Fs->Add("F:\\Locked", {File("secret", 1000)});
  denied.Fs->Unlistable.insert("F:\\Locked");
  denied.Run({"F:"}, true);
  const TFolderData& locked = denied.Node("F:\\Locked");
  EXPECT_TRUE(locked.Complete);
  EXPECT_EQ(locked.Size + locked.FileCount + locked.FolderCount, 0u);
  EXPECT_EQ(denied.Node("F:").FolderCount, 1u);
  EXPECT_EQ(denied.Node("F:").Size, 3u);
}

// Each refused folder is marked on its node, counted on every ancestor, and listed with its
// reason; past the kept number only the count grows.
TEST(TVLMDiskAnalyzerThread, UnreadableFoldersAreMarkedCountedAndListedWithinABound) {
  TScanRun run;
  TUnreadableList unreadable;
  run.Thread->Unreadable = &unreadable;
  std::vector<TFakeDirectoryLister::TEntry> many;
  for (int i = 0; i < 1500; ++i) {
    const std::string name = Numbered("d", i);
    many.push_back(Dir(name));
    run.Fs->Add("G:\\a\\" + name, {});
    run.Fs->Unlistable.insert("G:\\a\\" + name);
  }
  run.Fs->Add("G:", {Dir("a"), Dir("b")});
  run.Fs->Add("G:\\a", many);
  run.Fs->Add("G:\\b", {Dir("c"), File("x", 5)});
  run.Fs->Add("G:\\b\\c", {});
  run.Fs->Unlistable.insert("G:\\b\\c");
  run.Run({"G:"}, true);
  EXPECT_EQ(run.Node("G:").UnreadableBelow, 1501u);
  EXPECT_EQ(run.Node("G:\\a").UnreadableBelow, 1500u);
  EXPECT_EQ(run.Node("G:\\b").UnreadableBelow, 1u);
  EXPECT_EQ(run.Node("G:\\b").ReadError, 0);
  EXPECT_EQ(run.Node("G:\\b\\c").ReadError, 13);
  EXPECT_EQ(run.Node("G:\\b").Size, 5u);
  EXPECT_EQ(unreadable.Folders(), 1501u);
  ASSERT_EQ(unreadable.Kept().size(), TUnreadableList::Keep);
  EXPECT_EQ(unreadable.Kept()[999].Path, "G:\\a\\d999");
  EXPECT_EQ(unreadable.Kept()[0].Reason, SystemErrorText(13));
}

TEST(TVLMDiskAnalyzerThread, CancelMidWalkCompletesEveryNodeAndSkipsTheFinalTick) {
  TScanRun run;
  run.Fs->Add("C:", {Dir("A"), Dir("Z")});
  run.Fs->Add("C:\\A", {File("before", 1), Dir("B"), File("after", 1000)});
  run.Fs->Add("C:\\A\\B", {Dir("C"), File("b", 10)});
  run.Fs->Add("C:\\A\\B\\C", {File("never", 5)});
  run.Fs->Add("C:\\Z", {File("z", 7)});
  run.Fs->OnEnter = [&](const std::string& path) {
    if (path == "C:\\A\\B\\C") run.Thread->CancelScan();
  };
  bool afterWalk = false;
  run.Thread->AfterWalk = [&] { afterWalk = true; };
  run.Run({"C:", "G:"}, true);

  EXPECT_FALSE(afterWalk);  // a stopped walk's tree is never finished off
  EXPECT_EQ(run.Bridge.Posted, (std::vector<std::uint32_t>{WM_SCAN_CANCELLED}));
  EXPECT_EQ(run.Bridge.Log.back(), "post 2027 to 77");
  for (const auto& line : run.Bridge.Log) EXPECT_NE(line.rfind("select", 0), 0u) << line;
  for (TNodeId id = 0; id < run.Tree.Count(); ++id) EXPECT_TRUE(run.Tree.Data(id).Complete);
  // Totals gathered up to the stop: the file before the subfolder counts, nothing after it.
  EXPECT_EQ(run.Node("C:\\A").Size, 1u);
  EXPECT_EQ(run.Node("C:\\A\\B\\C").FileCount, 0u);
  EXPECT_EQ(run.Node("C:").FolderCount, 3u);
  // A root after the stop request still gets its node, with zero totals.
  EXPECT_EQ(run.Node("G:").Size, 0u);
  EXPECT_EQ(run.Fs->Depth(), 0u);  // every listing that was opened was closed
}

TEST(TVLMDiskAnalyzerThread, SeveralRootsGrowTheRangeAndRestartThePosition) {
  TScanRun run;
  run.Fs->Add("C:", {Dir("a"), Dir("b")});
  run.Fs->Add("D:", {Dir("c")});
  run.Run({"C:", "D:"}, true);
  EXPECT_EQ(run.Bridge.Log,
            (std::vector<std::string>{"range 0..3", "pos 0", "step", "step", "expand 0",
                                      "range 0..4", "pos 0", "step", "expand 3", "select 0", "step",
                                      "post 2026 to 77"}));
}

TEST(TVLMDiskAnalyzerThread, TypedFilesReferToRecordsAndBigFilesKeepTheirOwnCopy) {
  TScanRun run;
  run.Fs->Add("C:", {File("movie.MP4", 1ULL << 40), File("README", 0), File("arc.tar.gz", 2)});
  run.Run({"C:"}, true);
  ASSERT_EQ(run.Typed.Count(), 2u);
  EXPECT_EQ(run.Typed.At(run.Records, 1).File, 2u);
  EXPECT_EQ(run.TypedName(1), "arc.tar.gz");
  EXPECT_EQ(run.Typed.At(run.Records, 1).GroupID, 8);  // through ".gz"
  run.Records.Clear();
  EXPECT_EQ(run.Biggest[2].Name, "movie.MP4");
  EXPECT_EQ(run.Biggest[0].Name, "README");  // size 0 is still offered
}

}  // namespace
}  // namespace Vellumetric
