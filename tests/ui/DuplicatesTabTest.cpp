// The Duplicates tab as a user drives it: asked for while the summary is still made, the groups
// the tree was built with, a click that finds the copy's folder, Cancel and Back in the middle.
#include <gtest/gtest.h>

#include <QTest>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include "TTempDir.h"
#include "UiTestSupport.h"
#include "UiWait.h"
#include "ui/windows/TMainForm.h"

namespace Vellumetric::Testing {
namespace {

void Write(const std::string& path, std::size_t size, char fill) {
  MakeFolders(path.substr(0, path.rfind(kSeparator)));
  std::ofstream(PathOf(path), std::ios::binary) << std::string(size, fill);
}

// The system's files, read slowly: a search that lasts long enough to be interrupted.
class TSlowSource final : public TContentSource {
 public:
  TOpenOutcome Open(const std::string& path, std::unique_ptr<TOpenFile>& file) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    return System->Open(path, file);
  }
  bool OnSpinningDisk(const std::string&) override { return true; }

 private:
  std::unique_ptr<TContentSource> System = CreateContentSource();
};

std::set<std::string> Children(const TDuplicatesModel& model, int row) {
  std::set<std::string> paths;
  const QModelIndex group = model.index(row, 0, {});
  for (int i = 0; i < model.rowCount(group); ++i)
    paths.insert(model.PathAt(model.index(i, 0, group)));
  return paths;
}

TEST(DuplicatesTab, FindsTheCopiesAfterTheSummaryAndAClickFocusesTheFolder) {
  TTempDir tree;
  // A photo folder and its backup; a report downloaded twice beside the one in docs; and
  // files of equal size that differ.
  for (const char* folder : {"photos", "backup/photos"}) {
    Write(tree / (std::string(folder) + "/a.jpg"), 20000, 'a');
    Write(tree / (std::string(folder) + "/b.jpg"), 15000, 'b');
  }
  for (const char* copy :
       {"docs/report.pdf", "downloads/report (1).pdf", "downloads/report (2).pdf"}) {
    Write(tree / copy, 7000, 'r');
  }
  Write(tree / "other/unlike.pdf", 7000, 'u');

  TMainForm form(96, ServicesWithDefaults());
  form.resize(1200, 900);
  form.show();
  TVLMAnalyzerForm& a = *form.Analyzer;
  a.ScanFolder(tree.Path());
  ASSERT_TRUE(RunUntil([&] { return a.FolderView->Model->rowCount({}) > 0; }));
  TDuplicatesTabController& dupes = *a.DupesTab;
  ASSERT_TRUE(RunUntil(
      [&] { return a.PageControl1->isTabVisible(a.PageControl1->indexOf(dupes.TabSheet)); }));
  a.PageControl1->setCurrentWidget(dupes.TabSheet);
  // Asked for at once: it waits for the summary, then runs; Back waits for it meanwhile.
  QTest::mouseClick(dupes.FindButton, Qt::LeftButton);
  EXPECT_TRUE(dupes.Searching());
  EXPECT_TRUE(a.WorkPending());
  ASSERT_TRUE(RunUntil([&] { return !dupes.Searching() && Settled(a); }));
  EXPECT_FALSE(a.DuplicatesBusy.load());

  const TDuplicatesModel& model = *dupes.Model;
  ASSERT_EQ(model.rowCount({}), 2) << dupes.Status->text().toStdString();
  // Most wasted first: the folder (35,000 bytes), then the report (14,000): the pictures' own
  // groups lie inside the folders' copies and are not listed again.
  EXPECT_EQ(Children(model, 0), (std::set<std::string>{tree / "backup/photos", tree / "photos"}));
  EXPECT_EQ(model.data(model.index(0, 1, {}), Qt::DisplayRole).toString(),
            QStringLiteral("2 folders"));
  EXPECT_EQ(Children(model, 1),
            (std::set<std::string>{tree / "docs/report.pdf", tree / "downloads/report (1).pdf",
                                   tree / "downloads/report (2).pdf"}));
  EXPECT_TRUE(dupes.Status->text().startsWith(QStringLiteral("2 groups, 3 copies, ")))
      << dupes.Status->text().toStdString();

  // A click on a downloaded copy makes its folder current, and the map outlines the copies'.
  const QModelIndex group = model.index(1, 0, {});
  dupes.List->expand(group);
  QModelIndex downloaded;
  for (int i = 0; i < model.rowCount(group); ++i) {
    if (model.PathAt(model.index(i, 0, group)) == tree / "downloads/report (2).pdf") {
      downloaded = model.index(i, 0, group);
    }
  }
  ASSERT_TRUE(downloaded.isValid());
  dupes.List->scrollTo(downloaded);
  QTest::mouseClick(dupes.List->viewport(), Qt::LeftButton, Qt::NoModifier,
                    dupes.List->visualRect(downloaded).center());
  const TNodeId current = a.FolderView->Model->NodeOf(a.VirtualStringTree->currentIndex());
  ASSERT_NE(current, NoNode);
  EXPECT_EQ(a.FolderTree.Data(current).Path.Str(), tree / "downloads");
  std::set<std::string> marked;
  for (TNodeId f : a.MapTab->Map->MarkedFolders()) marked.insert(a.FolderTree.Data(f).Path.Str());
  EXPECT_EQ(marked, (std::set<std::string>{tree / "docs", tree / "downloads"}));

  // Read slowly, a search is cancelled part way and says so, with what it found until then.
  dupes.ContentSource = [] { return std::make_unique<TSlowSource>(); };
  QTest::mouseClick(dupes.FindButton, Qt::LeftButton);
  ASSERT_TRUE(dupes.HasWorker());
  EXPECT_TRUE(dupes.CancelButton->isVisible());
  QTest::mouseClick(dupes.CancelButton, Qt::LeftButton);
  ASSERT_TRUE(RunUntil([&] { return !dupes.Searching(); }));
  EXPECT_TRUE(dupes.Status->text().startsWith(QStringLiteral("Cancelled")))
      << dupes.Status->text().toStdString();
  EXPECT_TRUE(dupes.FindButton->isEnabled());

  // Back in the middle of a search stops it and returns to the start view.
  QTest::mouseClick(dupes.FindButton, Qt::LeftButton);
  ASSERT_TRUE(dupes.HasWorker());
  a.BackClick();
  ASSERT_TRUE(RunUntil([&] { return a.QuickInfo != nullptr; }));
  EXPECT_FALSE(a.WorkPending());
  EXPECT_FALSE(dupes.HasWorker());
}

}  // namespace
}  // namespace Vellumetric::Testing
