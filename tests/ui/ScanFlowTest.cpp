// The scan and summary flow driven through the window, on real folders and on a fake lister.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <algorithm>
#include <filesystem>
#include <random>
#include <set>

#include "../scan/TFakeDirectoryLister.h"
#include "Numbered.h"
#include "TTempDir.h"
#include "TTreeBuilder.h"
#include "UiTestSupport.h"
#include "UiWait.h"
#include "filetypes/DefaultFileTypes.h"
#include "model/VLMMessages.h"
#include "system/NativePlatform.h"
#include "ui/windows/StartPath.h"
#include "ui/windows/TMainForm.h"

namespace Vellumetric::Testing {
namespace {

bool InResults(const TVLMAnalyzerForm& a) {
  return !a.ProgressForm && !a.SummaryBusy && a.Summary->DetailModel->AttachedTree();
}

// Every level of a model ordered by size, checked against the core records.
template <class Model, class SizeOf>
void ExpectLevelsDescending(const Model& model, const QModelIndex& parent, SizeOf size) {
  std::uint64_t previous = UINT64_MAX;
  for (int row = 0; row < model.rowCount(parent); ++row) {
    const QModelIndex child = model.index(row, 0, parent);
    const std::uint64_t s = size(model.NodeOf(child));
    EXPECT_LE(s, previous) << "row " << row;
    previous = s;
    ExpectLevelsDescending(model, child, size);
  }
}

TEST(ScanFlow, TileDoubleClickScansToTheSortedResultsAndSummary) {
  TTempDir tree;
  for (const char* folder : {"a/sub", "b", "many", "empty"}) MakeFolders(tree / folder);
  MakeFile(tree / "a/big.mp4", 5 << 20);
  MakeFile(tree / "a/x.txt", 100);
  MakeFile(tree / "a/sub/c.jpg", 300 << 10);
  MakeFile(tree / "b/d.mp3", 2 << 20);
  MakeFile(tree / "root.doc", 10 << 10);
  for (int i = 0; i < 25; ++i) MakeFile(tree / ("many/f" + std::to_string(i) + ".bin"), 1000 + i);

  TAnalyzerServices services = ServicesWithDefaults();
  const std::string root = tree.Path();
  services.BuildDisks = [root](TDiskList& d) {
    d = FakeDisks();
    d[0].RootPath = root;
  };
  TMainForm form(96, services);
  form.show();
  TVLMAnalyzerForm& a = *form.Analyzer;
  PostVLMMessage(&a, WM_DRIVE_OPEN, 0);
  ASSERT_TRUE(RunUntil([&] { return a.ProgressForm != nullptr; }));
  EXPECT_FALSE(a.QuickInfo);
  EXPECT_FALSE(a.ToolButton6->isEnabled());
  ASSERT_TRUE(RunUntil([&] { return InResults(a); }));

  // The folder tree: sorted largest first everywhere, totals as du counts them.
  const TFolderTreeModel& folders = *a.FolderView->Model;
  ASSERT_EQ(folders.rowCount({}), 1);
  const TNodeId top = folders.NodeOf(folders.index(0, 0, {}));
  EXPECT_EQ(a.FolderTree.Data(top).Size, MeasureWithDuAndFind(root).Size);
  EXPECT_EQ(a.FolderTree.Data(top).Kind, FolderKindDrive);
  ExpectLevelsDescending(folders, {}, [&](TNodeId n) { return a.FolderTree.Data(n).Size; });
  EXPECT_EQ(folders.data(folders.index(0, 0, folders.index(0, 0, {})), Qt::DisplayRole), "a");
  EXPECT_EQ(a.VirtualStringTree->currentIndex(), folders.index(0, 0, {}));
  EXPECT_TRUE(a.ToolButton6->isEnabled());
  // The drive page's Path names the root as the system names a drive: "D:\" on Windows.
  const bool windows = NativePathStyle() == TPathStyle::Windows;
  EXPECT_EQ(a.ListView1->Cell(1, 1).toStdString(), windows ? root + "\\" : root);
  EXPECT_EQ(a.CurrentPath, root);

  // General: the twenty biggest files, largest first, and their total.
  std::vector<TFileFact> files = FindRegularFiles(root);
  std::sort(files.begin(), files.end(), [](auto& x, auto& y) { return x.Size > y.Size; });
  const TSummaryTreeModel& general = *a.Summary->GeneralModel;
  const QModelIndex section = general.index(0, 0, {});
  EXPECT_EQ(general.data(section, Qt::DisplayRole), "20 Biggest Files");
  ASSERT_EQ(general.rowCount(section), 20);
  unsigned long long total = 0;
  for (int i = 0; i < 20; ++i) {
    const TNodeId node = general.NodeOf(general.index(i, 0, section));
    EXPECT_EQ(a.Summary->GeneralNodes.Size(node), files[static_cast<std::size_t>(i)].Size) << i;
    total += files[static_cast<std::size_t>(i)].Size;
  }
  EXPECT_EQ(a.Summary->GeneralNodes.Size(general.NodeOf(section)), total);
  EXPECT_EQ(a.PageControl1->currentIndex(), 0);

  // Detail: every typed file once, groups and files largest first, the finished title.
  std::set<std::string> known;
  for (const TFileExtData& e : a.Extensions) known.insert(e.Ext);
  unsigned long long typedTotal = 0;
  for (const TFileFact& file : files) {
    const auto dot = file.Name.rfind('.');
    if (dot != std::string::npos && known.count(file.Name.substr(dot))) typedTotal += file.Size;
  }
  const TSummaryTreeModel& detail = *a.Summary->DetailModel;
  unsigned long long detailTotal = 0;
  for (int g = 0; g < detail.rowCount({}); ++g) {
    detailTotal += a.Summary->DetailNodes.Size(detail.NodeOf(detail.index(g, 0, {})));
  }
  EXPECT_EQ(detailTotal, typedTotal);
  ExpectLevelsDescending(detail, {}, [&](TNodeId n) { return a.Summary->DetailNodes.Size(n); });
  // A file row names its file through the scan's records: location and name lead to it on disk.
  const QModelIndex group = detail.index(0, 0, {});
  ASSERT_GT(detail.rowCount(group), 0);
  const QString shown = detail.data(detail.index(0, 3, group), Qt::DisplayRole).toString() + "/" +
                        detail.data(detail.index(0, 0, group), Qt::DisplayRole).toString();
  EXPECT_TRUE(std::filesystem::is_regular_file(PathOf(shown.toStdString()))) << shown.toStdString();
  EXPECT_TRUE(a.TypedFiles.Empty());  // taken over by the Detail page
  EXPECT_EQ(a.SummaryTitleBar->Title(), "Summary");
  EXPECT_TRUE(a.SummaryTitleBar->Button1->isVisibleTo(a.SummaryTitleBar));
  EXPECT_EQ(a.StaticText1->text(), QString::fromStdString(root));
  EXPECT_FALSE(a.Panel5->isVisibleTo(a.Panel4));
}

// A fake tree big enough that the workers are caught at every stage: 400 folders of 60 typed
// files each.
std::shared_ptr<const TFakeDirectoryLister> FakeTree() {
  auto fake = std::make_shared<TFakeDirectoryLister>(TPathStyle::Posix);
  std::vector<TFakeDirectoryLister::TEntry> top;
  for (int f = 0; f < 400; ++f) {
    const std::string name = Numbered("d", f);
    top.push_back({name, true, 0, 0});
    std::vector<TFakeDirectoryLister::TEntry> inside;
    for (int i = 0; i < 30; ++i) inside.push_back({Numbered("f", i) + ".mp3", false, 1000u + i, 1});
    fake->Add("/fake/" + name, inside);
  }
  fake->Add("/fake", top);
  return fake;
}

TAnalyzerServices FakeScanServices(std::shared_ptr<const TFakeDirectoryLister> fake) {
  TAnalyzerServices s = ServicesWithDefaults();
  s.Listers = [fake] { return std::make_unique<TFakeDirectoryLister>(*fake); };
  return s;
}

TEST(ScanFlow, CancelReturnsToTheStartViewAndBackWaitsForTheSummary) {
  TMainForm form(96, FakeScanServices(FakeTree()));
  form.show();
  TVLMAnalyzerForm& a = *form.Analyzer;
  a.ScanFolder("/fake");
  ASSERT_TRUE(a.ProgressForm);
  QPushButton* cancel = a.ProgressForm->InfoStrip->Button1;
  cancel->click();
  EXPECT_FALSE(cancel->isEnabled());  // greyed at once, before the request is handled
  ASSERT_TRUE(RunUntil([&] { return a.QuickInfo != nullptr; }));
  EXPECT_FALSE(a.ProgressForm);
  EXPECT_FALSE(a.Scanning);
  EXPECT_FALSE(a.IsButtonShown(a.ToolButton6));
  EXPECT_TRUE(a.IsButtonShown(a.ToolButton1));

  // Back pressed right after the scan's end, while the turns that start the summary are still
  // to come: the results stay until the summary worker has been started and has ended.
  a.ScanFolder("/fake");
  ASSERT_TRUE(RunUntil([&] { return !a.ProgressForm; }));
  ASSERT_TRUE(a.WorkPending());
  a.BackClick();
  EXPECT_FALSE(a.QuickInfo);
  EXPECT_TRUE(a.SummaryThreadTimer->isActive());
  ASSERT_TRUE(RunUntil([&] { return a.QuickInfo != nullptr; }));
  EXPECT_FALSE(a.SummaryBusy);
  EXPECT_FALSE(a.SummaryThreadTimer->isActive());
  EXPECT_FALSE(a.Summary->HasWorker() && !a.Summary->DetailModel->AttachedTree());
}

// Keeps back the first end message of the summary worker, as a busy event loop would.
class THoldSummaryEnd : public QObject {
 public:
  bool Held = false;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (Held || event->type() != static_cast<QEvent::Type>(WM_SUMMARY_FINISHED)) {
      return QObject::eventFilter(watched, event);
    }
    Held = true;
    return true;
  }
};

// The summary worker lowers its flag before its end message is handled, and handling it starts
// the sort of the Detail page: a close granted in that gap left the sort running in a closed
// window.
TEST(ScanFlow, CloseWhileTheSummaryEndMessageIsQueuedWaitsForIt) {
  TMainForm form(96, FakeScanServices(FakeTree()));
  form.show();
  TVLMAnalyzerForm& a = *form.Analyzer;
  THoldSummaryEnd hold;
  a.installEventFilter(&hold);
  a.ScanFolder("/fake");
  ASSERT_TRUE(RunUntil([&] { return hold.Held; }));
  ASSERT_FALSE(a.SummaryBusy || a.Scanning);
  form.close();
  EXPECT_TRUE(form.isVisible());
  a.removeEventFilter(&hold);
  PostVLMMessage(&a, WM_SUMMARY_FINISHED);
  ASSERT_TRUE(RunUntil([&] { return !form.isVisible(); }, 10000));
  EXPECT_FALSE(a.Scanning || a.SummaryBusy || a.Summary->HasWorker());
}

// What a close or Back that did not end is still waiting for.
std::string WorkState(const TVLMAnalyzerForm& a, int round) {
  return "round " + std::to_string(round) + ":" + (a.Scanning ? " scanning" : "") +
         (a.SummaryBusy ? " summarizing" : "") + (a.ProgressForm ? " progress" : "") +
         (a.Summary->HasWorker() ? " worker" : "") + (a.WorkPending() ? " pending" : "");
}

// Close the program, press Cancel or Back at random moments of a scan and of a summary: every
// time the window closes (or returns to the start view), and no worker thread is left behind.
TEST(ScanFlow, CloseOrCancelAtAnyMomentLeavesNoThread) {
  const auto fake = FakeTree();
  std::mt19937 random(20261207);
  int threadsBefore = 0;
  qint64 slowestClose = 0;
  int duringScan = 0;
  int duringSummary = 0;
  for (int round = 0; round < 201; ++round) {
    TMainForm form(96, FakeScanServices(fake));
    form.show();
    TVLMAnalyzerForm& a = *form.Analyzer;
    a.ScanFolder("/fake");
    // Odd rounds act while the scan runs; even rounds once its summary has started (a few turns
    // of the event loop after the scan view goes), or once all is over should it be that quick.
    if (round % 4 >= 2) {
      ASSERT_TRUE(RunUntil([&] { return a.SummaryBusy || Settled(a); }));
      QThread::usleep(random() % 4000);  // the worker goes on; the window does not look
    } else {
      QElapsedTimer clock;
      clock.start();
      const int waitMs = static_cast<int>(random() % 25);
      RunUntil([&] { return clock.elapsed() >= waitMs; });
    }
    duringScan += a.Scanning ? 1 : 0;
    duringSummary += a.SummaryBusy ? 1 : 0;
    if (round % 2 == 0) {
      QElapsedTimer clock;
      clock.start();
      form.close();
      ASSERT_TRUE(RunUntil([&] { return !form.isVisible(); }, 10000)) << WorkState(a, round);
      slowestClose = std::max(slowestClose, clock.elapsed());
      EXPECT_FALSE(a.Scanning || a.SummaryBusy);
    } else {
      if (a.ProgressForm) {
        a.ProgressForm->InfoStrip->Button1->click();
      } else {
        a.BackClick();
      }
      ASSERT_TRUE(RunUntil([&] { return a.QuickInfo != nullptr; }, 10000)) << WorkState(a, round);
    }
    // The first round has started whatever helper threads Qt keeps for good.
    if (round == 0) threadsBefore = SettledThreadCount();
  }
  EXPECT_GT(threadsBefore, 0);  // the count was read at all
  EXPECT_EQ(SettledThreadCount(), threadsBefore);
  EXPECT_GT(duringScan, 0);  // the chosen moments met both workers at work
  EXPECT_GT(duringSummary, 0);
  std::printf("slowest close: %lld ms; %d rounds during the scan, %d during the summary\n",
              static_cast<long long>(slowestClose), duringScan, duringSummary);
}

TEST(ScanFlow, CommandLineFolderIsResolvedLikeTheFolderDialog) {
  TTempDir tree;
  MakeFolders(tree / "a/caf\xc3\xa9");
  std::string folder, message;
  ASSERT_TRUE(ResolveStartFolder(tree / "a/caf\xc3\xa9/../caf\xc3\xa9/", folder, message));
  EXPECT_EQ(folder, tree / "a/caf\xc3\xa9");
  EXPECT_FALSE(ResolveStartFolder(tree / "missing", folder, message));
  EXPECT_NE(message.find("not a folder"), std::string::npos);
  MakeFile(tree / "file", 1);
  EXPECT_FALSE(ResolveStartFolder(tree / "file", folder, message));
}

}  // namespace
}  // namespace Vellumetric::Testing
