// The window keeps its finished scans in the scan history, never a cancelled one, and a history
// it cannot write costs the scan nothing.
#include <gtest/gtest.h>

#include <QApplication>
#include <atomic>

#include "../scan/TFakeDirectoryLister.h"
#include "Numbered.h"
#include "TTempDir.h"
#include "TTreeBuilder.h"
#include "UiTestSupport.h"
#include "UiWait.h"
#include "filetypes/DefaultFileTypes.h"
#include "history/THistoryDatabase.h"
#include "ui/windows/TMainForm.h"

namespace Vellumetric::Testing {
namespace {

TAnalyzerServices HistoryServices(const std::string& database) {
  TAnalyzerServices s = FakeServices();
  s.LoadGroups = [](TFileExtDescList& groups, TFileExtList& extensions) {
    groups = DefaultGroupList();
    extensions = DefaultExtensionList();
  };
  s.HistoryDatabase = [database] { return database; };
  return s;
}

std::vector<TScanSnapshot> StoredScans(const std::string& database) {
  THistoryDatabase db(database);
  std::vector<TScanSnapshot> scans;
  EXPECT_TRUE(db.OpenForReading()) << db.Error();
  EXPECT_TRUE(db.ListScans("", scans)) << db.Error();
  return scans;
}

bool InResults(const TVLMAnalyzerForm& a) {
  return !a.ProgressForm && !a.SummaryBusy && a.FolderView->Model->AttachedTree();
}

// 50 folders of 20 files; the walk waits in "/fake/d10" until `release` is set.
std::shared_ptr<TFakeDirectoryLister> GatedTree(std::atomic<bool>& release) {
  auto fake = std::make_shared<TFakeDirectoryLister>(TPathStyle::Posix);
  std::vector<TFakeDirectoryLister::TEntry> top;
  for (int f = 0; f < 50; ++f) {
    const std::string name = Numbered("d", f);
    top.push_back({name, true, 0, 0});
    std::vector<TFakeDirectoryLister::TEntry> inside;
    for (int i = 0; i < 20; ++i) inside.push_back({Numbered("f", i), false, 1000u + i, 1});
    fake->Add("/fake/" + name, inside);
  }
  fake->Add("/fake", top);
  fake->OnEnter = [&release](const std::string& path) {
    if (path == "/fake/d10") {
      while (!release) QThread::msleep(1);
    }
  };
  return fake;
}

TEST(ScanHistoryWindow, AFinishedScanIsStoredACancelledOneIsNot) {
  TTempDir data, tree;
  const std::string database = data / "history.sqlite";
  MakeFolders(tree / "a/b/c");
  MakeFolders(tree / "d");
  MakeFile(tree / "a/b/c/clip.avi", 300000);
  MakeFile(tree / "a/notes.txt", 1200);
  MakeFile(tree / "d/photo.jpg", 45000);
  {
    TMainForm form(96, HistoryServices(database));
    form.show();
    TVLMAnalyzerForm& a = *form.Analyzer;
    a.ScanFolder(tree.Path());
    ASSERT_TRUE(RunUntil([&] { return InResults(a); }));
    a.History->WaitIdle();
  }
  std::vector<TScanSnapshot> scans = StoredScans(database);
  ASSERT_EQ(scans.size(), 1u);
  EXPECT_EQ(scans[0].Root, NormalizeScanRoot(tree.Path()));
  EXPECT_EQ(scans[0].Mode, FolderKindFolder);
  EXPECT_EQ(scans[0].Size, MeasureWithDuAndFind(tree.Path()).Size);
  EXPECT_EQ(scans[0].Files, 3u);
  EXPECT_EQ(scans[0].FolderCount, 4u);

  // Cancelled while the walk waits in the middle: nothing is added. Then the same window's
  // finished scan is, so the first answer was not a history that stores nothing.
  std::atomic<bool> release{false};
  auto fake = GatedTree(release);
  TAnalyzerServices services = HistoryServices(database);
  services.Listers = [fake] { return std::make_unique<TFakeDirectoryLister>(*fake); };
  TMainForm form(96, services);
  form.show();
  TVLMAnalyzerForm& a = *form.Analyzer;
  a.ScanFolder("/fake");
  ASSERT_TRUE(a.ProgressForm);
  a.ProgressForm->InfoStrip->Button1->click();
  release = true;
  ASSERT_TRUE(RunUntil([&] { return a.QuickInfo != nullptr; }));
  a.History->WaitIdle();
  EXPECT_EQ(StoredScans(database).size(), 1u);
  a.ScanFolder("/fake");
  ASSERT_TRUE(RunUntil([&] { return InResults(a); }));
  a.History->WaitIdle();
  scans = StoredScans(database);
  ASSERT_EQ(scans.size(), 2u);
  EXPECT_EQ(scans[0].Root, NormalizeScanRoot("/fake"));  // Windows puts it on the current drive
  EXPECT_EQ(scans[0].Size, 50u * (20 * 1000 + 190));
}

TEST(ScanHistoryWindow, AHistoryThatCannotBeWrittenLeavesAQuietNoteAndTheResults) {
  TTempDir data, tree;
  MakeFile(tree / "file.bin", 5000);
  TMainForm form(96, HistoryServices(data / "missing/history.sqlite"));
  form.show();
  TVLMAnalyzerForm& a = *form.Analyzer;
  a.ScanFolder(tree.Path());
  ASSERT_TRUE(RunUntil([&] { return InResults(a); }));
  a.History->WaitIdle();
  ASSERT_TRUE(RunUntil([&] { return a.History->WarningLabel->isVisibleTo(&a); }));
  EXPECT_TRUE(a.History->WarningLabel->text().contains(QStringLiteral("not added")));
  EXPECT_EQ(a.FolderTree.Data(a.FolderTree.FirstChild(NoNode)).Size, 5000u);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);  // no message box
}

}  // namespace
}  // namespace Vellumetric::Testing
