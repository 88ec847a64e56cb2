#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TRecordingBridge.h"
#include "TRecordingSummaryDisplay.h"
#include "TTempDir.h"
#include "model/VLMMessages.h"
#include "persistence/SummaryFile.h"
#include "scan/TVLMSummaryThread.h"

namespace Vellumetric {
namespace {

using Testing::TRecordingBridge;
using Testing::TRecordingSummaryDisplay;

struct TSummaryRun {
  TRecordingBridge Bridge;
  TRecordingSummaryDisplay Display;
  TSummaryTree Detail;
  TSummaryTree General;
  TTypedFileList Typed;
  TFileRecordStore Records;
  TFolderTree Folders;  // one top-level folder per path the files were given
  TFileExtDescList Groups = {
      {2, "3D Image Files"}, {5, "Document Files"}, {0, "Raster Image Files"}};
  std::atomic<bool> Busy{false};
  std::unique_ptr<TVLMSummaryThread> Thread;

  explicit TSummaryRun(TPathStyle style = TPathStyle::Windows)
      : Thread(std::make_unique<TVLMSummaryThread>(Bridge, style)) {
    Thread->ProgressBar = &Display;
    Thread->Busy = &Busy;
    Thread->NotifyWindow = 9;
    Thread->DetailTree = &Detail;
    Thread->OtherTree = &General;
    Thread->TypedFiles = &Typed;
    Thread->FileRecords = &Records;
    Thread->FolderTree = &Folders;
    Thread->Groups = &Groups;
  }
  void AddFile(const std::string& name, std::int32_t group, std::uint64_t size,
               const TPathText& path, std::uint64_t lastAccess = 0) {
    TNodeId folder = NoNode;
    for (TNodeId f = Folders.FirstChild(NoNode); f != NoNode; f = Folders.NextSibling(f)) {
      if (Folders.Data(f).Path.SharesTextWith(path)) folder = f;
    }
    if (folder == NoNode) {
      TFolderData data;
      data.Path = path;
      folder = Folders.AddChild(NoNode, data);
    }
    Typed.Add(Records, {Records.Add(folder, name, size, group, lastAccess), group, lastAccess});
  }
  void Run(const std::string& source) {
    Thread->SourcePath = source;
    Thread->Resume();
    Thread->WaitFor();
  }
  std::vector<std::string> TopNames() const {
    std::vector<std::string> names;
    for (TNodeId n : Detail.Children(NoNode)) names.emplace_back(Detail.Name(n));
    return names;
  }
  int Ticks() const {
    return static_cast<int>(std::count_if(Display.Log.begin(), Display.Log.end(),
                                          [](auto& l) { return l.rfind("tick", 0) == 0; }));
  }
};

TEST(TVLMSummaryThread, ClassifyBuildsOneNodePerGroupWithCountsAndTotals) {
  TSummaryRun run;
  const TPathText data = TPathText::Child(TPathText("D:\\"), "\\", "Data");
  run.AddFile("a.jpg", 0, 10, data);
  run.AddFile("b.doc", 5, 20, data);
  run.AddFile("c.JPG", 0, 30, TPathText("C:"), 133000000001234567);
  const TFileId first = run.Typed.Front(run.Records).File;
  run.Run("D:\\");
  EXPECT_TRUE(run.Typed.Empty());  // taken over by the Detail tree
  EXPECT_EQ(run.TopNames(), (std::vector<std::string>{"3D Image Files (0)", "Document Files (1)",
                                                      "Raster Image Files (2)"}));
  const TNodeId raster = run.Detail.Children(NoNode)[2];
  EXPECT_EQ(run.Detail.Size(raster), 40u);
  EXPECT_EQ(run.Detail.ImageIndex(raster), 0);
  const TNodeId file = run.Detail.FirstChild(raster);
  EXPECT_EQ(run.Detail.Name(file), "a.jpg");
  EXPECT_EQ(run.Detail.File(file), first);           // a reference, not a copy
  EXPECT_EQ(run.Detail.Location(file), "D:\\Data");  // the doubled separator repaired
  EXPECT_EQ(run.Detail.ImageIndex(file), 1);
  const TNodeId second = run.Detail.NextSibling(file);
  EXPECT_EQ(run.Detail.Location(second), "C:");
  EXPECT_EQ(run.Detail.Size(second), 30u);
  EXPECT_EQ(run.Detail.LastAccess(second), 133000000001234567u);  // exact below the second
  EXPECT_NE(run.Detail.File(second), NoFile);
  EXPECT_EQ(run.Folders.Data(0).Path, "D:\\\\Data");  // the folder itself keeps its raw path
  EXPECT_EQ(run.Display.Log, (std::vector<std::string>{"disable", "enable"}));
  EXPECT_EQ(run.Bridge.Posted, (std::vector<std::uint32_t>{WM_SUMMARY_FINISHED}));
  EXPECT_FALSE(run.Busy.load());
}

TEST(TVLMSummaryThread, ProgressTicksAfterEvery201Files) {
  for (const auto& [files, ticks] : {std::pair{0, 0}, std::pair{200, 0}, std::pair{201, 1},
                                     std::pair{401, 1}, std::pair{402, 2}}) {
    TSummaryRun run;
    const TPathText path("/d");
    for (int i = 0; i < files; ++i) run.AddFile("f", 0, 1, path);
    run.Run("/d");
    EXPECT_EQ(run.Ticks(), ticks) << files;
  }
}

TEST(TVLMSummaryThread, OddGroupIdsNeverIndexTheTable) {
  TSummaryRun run;
  run.Groups = {{-4, "Negative"}, {3, "Three"}, {1000, "Too Big"}, {7, "Never Reached"}};
  run.AddFile("x", 3, 5, TPathText("/a"));
  run.Run("/a");
  // The id above 999 ends the build: no files, no counts, the later group never made.
  EXPECT_EQ(run.TopNames(), (std::vector<std::string>{"Three"}));
  EXPECT_EQ(run.Detail.Count(), 1u);

  TSummaryRun orphans;
  orphans.Groups = {{-4, "Negative"}, {3, "Three"}};
  orphans.AddFile("lost", 42, 1, TPathText("/a"));
  orphans.AddFile("neg", -4, 1, TPathText("/a"));
  orphans.AddFile("huge", 5000, 1, TPathText("/a"));
  orphans.Run("/a");
  EXPECT_EQ(orphans.TopNames(), (std::vector<std::string>{"Three (0)", "lost", "neg", "huge"}));
}

TEST(TVLMSummaryThread, StopDuringTheFilePassLeavesBareGroupNames) {
  TSummaryRun run;
  const TPathText path("/d");
  for (int i = 0; i < 1000; ++i) run.AddFile("f", 0, 1, path);
  // The first progress tick asks the thread to stop, as a window's timer would.
  struct TStopper final : TRecordingSummaryDisplay {
    TVLMSummaryThread* Thread = nullptr;
    void ProgressTick() override { Thread->Terminate(); }
  } stopper;
  stopper.Thread = run.Thread.get();
  run.Thread->ProgressBar = &stopper;
  run.Run("/d");
  const TNodeId raster = run.Detail.Children(NoNode)[2];
  EXPECT_EQ(run.Detail.Name(raster), "Raster Image Files");
  EXPECT_EQ(run.Detail.Children(raster).size(), 201u);
  EXPECT_EQ(run.Typed.Count(), 799u);  // what was not taken over stays listed
  EXPECT_EQ(run.Bridge.Posted, (std::vector<std::uint32_t>{WM_SUMMARY_FINISHED}));
}

TEST(TVLMSummaryThread, LoadModeFillsBothPagesFromAFile) {
  Testing::TTempDir tmp;
  {
    TSummaryTree g, d;
    const TNodeId s = g.AddNode(NoNode, "20 Biggest Files");
    g.AddNode(s, "a.iso", TPathText("/srv"), 9);
    d.AddNode(d.AddNode(NoNode, "Disk Image Files (1)"), "a.iso", TPathText("/srv"), 9);
    ASSERT_TRUE(WriteSummaryFile(tmp / "x.sbf", "/srv", g, d));
  }
  TSummaryRun run(TPathStyle::Posix);
  run.Thread->LoadMode = true;
  run.Run(tmp / "x.sbf");
  EXPECT_EQ(run.General.Count(), 2u);
  EXPECT_EQ(run.Detail.Count(), 2u);
  EXPECT_EQ(run.Display.Log,
            (std::vector<std::string>{"disable", "total 2", "title /srv", "reset icons",
                                      "icon /srv/a.iso", "expand 0", "enable"}));
  EXPECT_EQ(run.Thread->FileTotal, 2);
}

}  // namespace
}  // namespace Vellumetric
