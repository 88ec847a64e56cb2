// A real scan saved through the save window and opened again through the open window into the
// saved-summary view; the options dialog's change reaches the scan in between.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "TScriptedPrompts.h"
#include "TTempDir.h"
#include "UiTestSupport.h"
#include "UiWait.h"
#include "model/VLMMessages.h"
#include "persistence/SummaryFile.h"
#include "ui/dialogs/TOpenSummaryForm.h"
#include "ui/dialogs/TSaveSummaryForm.h"
#include "ui/dialogs/options/TVLMOptionsForm.h"
#include "ui/models/FileListHeader.h"
#include "ui/windows/StartPath.h"
#include "ui/windows/TAnalyzerCommands.h"
#include "ui/windows/TMainForm.h"

namespace Vellumetric::Testing {
namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(PathOf(path), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

bool SummaryDone(const TVLMAnalyzerForm& a) {
  return !a.ProgressForm && !a.SummaryBusy && a.Summary->DetailModel->AttachedTree();
}

std::vector<std::string> DetailSections(const TVLMAnalyzerForm& a) {
  std::vector<std::string> names;
  const TSummaryTreeModel& detail = *a.Summary->DetailModel;
  for (int row = 0; row < detail.rowCount({}); ++row) {
    names.emplace_back(a.Summary->DetailNodes.Name(detail.NodeOf(detail.index(row, 0, {}))));
  }
  return names;
}

TEST(SavedSummaryView, ScanWithANewGroupThenSaveAndOpenThroughBothWindows) {
  TTempDir folder;
  const std::string name = "Ann's Fotos \xc3\xa9t\xc3\xa9";
  const std::string root = folder / name;
  MakeFolders(folder / (name + "/sub"));
  MakeFile(folder / (name + "/movie.mkv"), 7000);
  MakeFile(folder / (name + "/Caf\xc3\xa9 d'\xc3\xa9t\xc3\xa9.jpg"), 300);
  MakeFile(folder / (name + "/sub/clip.avi"), 9000);
  TTempDir backup;
  TMainForm form(96, FakeServices());
  form.show();
  TVLMAnalyzerForm& a = *form.Analyzer;
  TScriptedPrompts script;
  a.Commands->Prompts = script.Prompts();
  a.Commands->Folders.BackupFolder = [&backup] { return backup.Path(); };
  a.Commands->Folders.DatabasePath = [&folder] { return folder / "fileExtData.sqlite"; };

  // The options dialog loads the groups from a fresh database first; a group added there
  // classifies the next scan.
  WhenOptionsAddGroup(QStringLiteral("Matroska Files"), QStringLiteral("MKV"));
  a.ToolButton7->click();
  a.ScanFolder(root);
  ASSERT_TRUE(RunUntil([&] { return SummaryDone(a); }));
  const std::vector<std::string> scanned = DetailSections(a);
  ASSERT_GE(scanned.size(), 3u);
  EXPECT_TRUE(a.PageControl1->isTabVisible(2));  // the map of the scan
  EXPECT_EQ(std::vector<std::string>(scanned.begin(), scanned.begin() + 3),
            (std::vector<std::string>{"Video Files (1)", "Matroska Files (1)",
                                      "Raster Image Files (1)"}));

  // Save under the proposed name: the folder's own name, blanks and apostrophe included.
  PostVLMMessage(&a, WM_SHOW_SAVE_SUMMARY);
  WhenModal([](QWidget* w) { static_cast<TSaveSummaryForm*>(w)->Button1->click(); });
  DeliverPosted();
  DeliverPosted();
  const std::string file = backup / "Ann's Fotos \xc3\xa9t\xc3\xa9.sbf";
  const std::string written = ReadAll(file);
  ASSERT_FALSE(written.empty()) << "nothing saved at " << file;
  EXPECT_EQ(written, SummaryFileBytes(root, a.Summary->GeneralNodes, a.Summary->DetailNodes));
  EXPECT_EQ(written.substr(0, written.find('\r')), "6");  // three biggest, three typed
  EXPECT_EQ(script.Shown, std::vector<std::string>{});

  a.ToolButton6->click();
  ASSERT_TRUE(RunUntil([&] { return a.QuickInfo != nullptr; }));
  WhenModal([](QWidget* w) {
    auto* open = static_cast<TOpenSummaryForm*>(w);
    open->ListView1->topLevelItem(0)->setSelected(true);
    open->OpenButton->click();
  });
  a.ToolButton10->click();
  DeliverPosted();
  // The saved-summary view while the worker reads: only the summary panel, no Save.
  EXPECT_EQ(a.OpenPathText, file);
  EXPECT_TRUE(a.ScanRoots.empty());
  EXPECT_FALSE(a.Panel1->isVisibleTo(&a));
  EXPECT_FALSE(a.Panel2->isVisibleTo(&a));
  EXPECT_TRUE(a.Panel4->isVisibleTo(&a));
  EXPECT_TRUE(a.IsButtonShown(a.ToolButton6));
  EXPECT_TRUE(a.ToolButton6->isEnabled());
  EXPECT_FALSE(a.IsButtonShown(a.ToolButton1));
  EXPECT_FALSE(a.IsButtonShown(a.ToolButton10));
  ASSERT_TRUE(RunUntil([&] { return SummaryDone(a); }));
  EXPECT_EQ(a.SummaryTitleBar->Title(), QStringLiteral("Summary"));
  EXPECT_FALSE(a.SummaryTitleBar->Button1->isVisibleTo(a.SummaryTitleBar));
  EXPECT_EQ(a.StaticText1->text().toStdString(), root);
  EXPECT_EQ(a.PageControl1->currentIndex(), 0);
  EXPECT_FALSE(a.PageControl1->isTabVisible(2));  // a saved summary has no map
  EXPECT_EQ(a.Summary->GeneralModel->rowCount(a.Summary->GeneralModel->index(0, 0, {})), 3);
  EXPECT_EQ(DetailSections(a), scanned);
  // A summary file keeps no disk sizes: the On Disk cells stay empty, not 0, there is no
  // measure to choose, and measuring on disk leaves the pages in their order by size.
  EXPECT_FALSE(a.IsButtonShown(a.MeasureButton));
  a.SetMeasure(TMeasure::Disk);
  ASSERT_TRUE(RunUntil([&] { return SummaryDone(a) && !a.WorkPending(); }));
  const TSummaryTreeModel& general = *a.Summary->GeneralModel;
  const QModelIndex section = general.index(0, 0, {});
  EXPECT_EQ(general.index(0, FileListDiskColumn, section).data().toString(), QString());
  EXPECT_EQ(a.Summary->DetailModel->index(0, FileListDiskColumn, {}).data().toString(), QString());
  EXPECT_EQ(DetailSections(a), scanned);
  a.SetMeasure(TMeasure::Size);
  // What the pages hold now writes back to the very same bytes.
  EXPECT_EQ(SummaryFileBytes(root, a.Summary->GeneralNodes, a.Summary->DetailNodes), written);

  // Back leaves the saved-summary view for the start view with its panels.
  a.ToolButton6->click();
  ASSERT_TRUE(RunUntil([&] { return !a.IsButtonShown(a.ToolButton6); }));
  EXPECT_TRUE(a.Panel1->isVisibleTo(&a));
  EXPECT_TRUE(a.Panel2->isVisibleTo(&a));
  EXPECT_FALSE(a.Panel4->isVisibleTo(&a));
  EXPECT_TRUE(a.IsButtonShown(a.ToolButton10));
}

TEST(SavedSummaryView, CommandLineOpensASummaryFileAndScansAFolder) {
  TTempDir folder;
  MakeFile(folder / "June.SBF", 10);
  MakeFolders(folder / "dir.sbf");
  TStartTarget target;
  std::string message;
  ASSERT_TRUE(ResolveStartArgument(folder / "./June.SBF", target, message));
  EXPECT_EQ(target.SummaryFile, folder / "June.SBF");
  EXPECT_TRUE(target.Folder.empty());
  ASSERT_TRUE(ResolveStartArgument(folder / "dir.sbf/", target, message));
  EXPECT_EQ(target.Folder, folder / "dir.sbf");
  EXPECT_TRUE(target.SummaryFile.empty());
  EXPECT_FALSE(ResolveStartArgument(folder / "none.sbf", target, message));
  EXPECT_EQ(message.rfind("not a summary file: ", 0), 0u) << message;
}

}  // namespace
}  // namespace Vellumetric::Testing
