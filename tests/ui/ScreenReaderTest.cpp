// What a screen reader finds: every window walked through Qt's accessibility interfaces, as an
// assistive technology walks them, in each of its states.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QTest>
#include <QThread>
#include <atomic>

#include "../scan/TFakeDirectoryLister.h"
#include "TTempDir.h"
#include "UiTestSupport.h"
#include "UiWait.h"
#include "ui/dialogs/TOpenSummaryForm.h"
#include "ui/dialogs/TSaveSummaryForm.h"
#include "ui/dialogs/TScanHistoryForm.h"
#include "ui/dialogs/TVLMAboutForm.h"
#include "ui/dialogs/TVLMHelpForm.h"
#include "ui/dialogs/options/TVLMOptionsForm.h"
#include "ui/windows/TMainForm.h"

namespace Vellumetric::Testing {
namespace {

// Roles a user operates (or reads item by item), which a reader must be able to name. Scroll
// bars are left out: readers announce them by their role and position.
bool Interactive(QAccessible::Role role) {
  switch (role) {
    case QAccessible::PushButton:
    case QAccessible::ButtonMenu:
    case QAccessible::ButtonDropDown:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ComboBox:
    case QAccessible::EditableText:
    case QAccessible::SpinBox:
    case QAccessible::Slider:
    case QAccessible::List:
    case QAccessible::ListItem:
    case QAccessible::Tree:
    case QAccessible::TreeItem:
    case QAccessible::Table:
    case QAccessible::Cell:
    case QAccessible::PageTab:
    case QAccessible::MenuItem:
    case QAccessible::Link:
    case QAccessible::ProgressBar:
      return true;
    default:
      return false;
  }
}

// Every shown element that a user can operate or focus and that has no name, as "role in
// parent-path"; and the number of elements walked.
void CollectUnnamed(QAccessibleInterface* element, const std::string& path,
                    std::vector<std::string>& unnamed, int& walked) {
  if (!element || element->state().invisible) return;
  ++walked;
  const bool focusable = element->state().focusable && element->role() != QAccessible::ScrollBar;
  const std::string here = path + "/" + std::to_string(element->role()) + ":" +
                           element->text(QAccessible::Name).toStdString();
  // A row of an item view is named by its first cell; a later cell may be blank, as the text it
  // stands for is (a heading row has no value, a group no folder).
  const QAccessibleTableCellInterface* cell = element->tableCellInterface();
  const bool laterCell = cell && cell->columnIndex() > 0;
  if ((Interactive(element->role()) || focusable) && !laterCell &&
      element->text(QAccessible::Name).trimmed().isEmpty()) {
    unnamed.push_back(here);
  }
  // Item views list their cells as children; the first rows are enough to see them named.
  const int children = std::min(element->childCount(), 60);
  for (int i = 0; i < children; ++i) CollectUnnamed(element->child(i), here, unnamed, walked);
}

void ExpectAllNamed(QWidget* window, const char* state) {
  std::vector<std::string> unnamed;
  int walked = 0;
  CollectUnnamed(QAccessible::queryAccessibleInterface(window), "", unnamed, walked);
  EXPECT_GT(walked, 3) << state;
  EXPECT_TRUE(unnamed.empty()) << state << ": " << ::testing::PrintToString(unnamed);
}

// /fake holds "d" with a film and a song beside it: d's share of /fake is 90000 of 95000 bytes.
std::shared_ptr<TFakeDirectoryLister> FakeTree(std::shared_ptr<std::atomic<bool>> hold) {
  auto fake = std::make_shared<TFakeDirectoryLister>(TPathStyle::Posix);
  fake->Add("/fake", {{"d", true, 0, 0}, {"song.mp3", false, 5000, 1}});
  fake->Add("/fake/d", {{"film.avi", false, 90000, 1}});
  fake->OnEnter = [hold](const std::string&) {
    while (hold->load()) QThread::msleep(1);
  };
  return fake;
}

TAnalyzerServices Services(std::shared_ptr<TFakeDirectoryLister> fake, std::string history = {}) {
  TAnalyzerServices services = ServicesWithDefaults();
  services.HistoryDatabase = [history] { return history; };
  services.Listers = [fake] { return std::make_unique<TFakeDirectoryLister>(*fake); };
  return services;
}

bool InResults(const TVLMAnalyzerForm& a) {
  return !a.ProgressForm && !a.SummaryBusy && a.Summary->DetailModel->AttachedTree();
}

TEST(ScreenReader, EveryInteractiveElementOfEveryWindowHasAName) {
  auto hold = std::make_shared<std::atomic<bool>>(true);
  TTempDir folder;
  TMainForm form(120, Services(FakeTree(hold), folder / "history.sqlite"));
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  TVLMAnalyzerForm& a = *form.Analyzer;
  ExpectAllNamed(&form, "start view");

  a.ScanFolder("/fake");  // held in its first folder
  ASSERT_TRUE(RunUntil([&] { return a.ProgressForm && a.ProgressForm->isVisible(); }));
  ExpectAllNamed(&form, "scan view");
  hold->store(false);
  ASSERT_TRUE(RunUntil([&] { return InResults(a); }));
  a.ScanAgainClick();  // a second scan of the folder: the Changes page has something to show
  ASSERT_TRUE(RunUntil([&] { return InResults(a) && a.ChangesTab->IsShown(); }));
  for (int page = 0; page < a.PageControl1->count(); ++page) {
    if (!a.PageControl1->isTabVisible(page)) continue;
    a.PageControl1->setCurrentIndex(page);
    ExpectAllNamed(&form,
                   qPrintable(QStringLiteral("results, page ") + a.PageControl1->tabText(page)));
  }

  TScanHistoryForm history(
      &form, [&a](TScanHistoryRecorder::TTask task) { return a.History->Post(std::move(task)); },
      nullptr);
  history.show();
  ASSERT_TRUE(RunUntil([&] { return !history.IsLoading(); }));
  ExpectAllNamed(&history, "scan history");
  history.close();
  TFileExtDescList groups = DefaultGroupList();
  TFileExtList extensions = DefaultExtensionList();
  TVLMOptionsForm options(&form, groups, extensions, folder / "groups.sqlite", 120, 120);
  options.show();
  ExpectAllNamed(&options, "options");
  options.ToolButton3->click();
  ExpectAllNamed(&options, "options' group panel");
  std::string text;
  bool ascending = false;
  QObject sink;
  MakeFile(folder / "June.sbf", 10);
  TOpenSummaryForm open(&form, &sink, text, QStringLiteral("Open Saved Summary"), folder.Path(),
                        ascending);
  open.show();
  ExpectAllNamed(&open, "open");
  TSaveSummaryForm save(&form, QStringLiteral("/fake"), text, &sink, folder.Path());
  save.show();
  ExpectAllNamed(&save, "save");
  TVLMAboutForm about(&form, form.windowTitle(), a.WindowsInfo);
  about.show();
  ExpectAllNamed(&about, "about");
  TVLMHelpForm help(nullptr, HelpFolder());
  help.show();
  ExpectAllNamed(&help, "help");
}

QString TextOf(QObject* object, QAccessible::Text which = QAccessible::Name) {
  return QAccessible::queryAccessibleInterface(object)->text(which);
}

// The accessible cell of `tree` whose name starts with `start`.
QString CellStarting(QTreeView* tree, const QString& start) {
  QAccessibleInterface* view = QAccessible::queryAccessibleInterface(tree);
  for (int i = 0; i < view->childCount(); ++i) {
    const QString name = view->child(i)->text(QAccessible::Name);
    if (name.startsWith(start)) return name;
  }
  return {};
}

// A row is read with its size and what its bar shows; the tiles and the map say what they
// have selected.
TEST(ScreenReader, RowsTilesAndTheMapSayWhatTheyShow) {
  auto hold = std::make_shared<std::atomic<bool>>(false);
  TMainForm form(120, Services(FakeTree(hold)));
  form.show();
  TVLMAnalyzerForm& a = *form.Analyzer;
  TVLMDriveListForm* tiles = a.QuickInfo->DriveList;
  EXPECT_TRUE(TextOf(tiles, QAccessible::Description)
                  .startsWith(QStringLiteral("System (/), ext4, 50 GB free of 100 GB")));
  tiles->setFocus();
  QTest::keyClick(tiles, Qt::Key_Down);
  EXPECT_TRUE(TextOf(tiles, QAccessible::Description)
                  .startsWith(QStringLiteral("Data (/data), ext4, 0 GB free of 10 GB")));

  a.ScanFolder("/fake");
  ASSERT_TRUE(RunUntil([&] { return InResults(a); }));
  const QModelIndex top = a.FolderView->Model->index(0, 0, {});
  const QString parent = top.data().toString();
  a.VirtualStringTree->expandAll();
  EXPECT_EQ(CellStarting(a.VirtualStringTree, QStringLiteral("d,")),
            QStringLiteral("d, ") + Localized(QStringLiteral("87.89 KB")) + QStringLiteral(", ") +
                Localized(QStringLiteral("0.00 KB")) + QStringLiteral(" on disk, ") +
                Localized(QStringLiteral("94.7")) + QStringLiteral(" % of ") + parent);
  // Detail: the groups, largest first; the audio files' bar is 5000 of the videos' 90000 bytes.
  a.PageControl1->setCurrentIndex(1);
  EXPECT_TRUE(
      CellStarting(a.VirtualStringTree2, QStringLiteral("Audio"))
          .contains(Localized(QStringLiteral("5.6")) + QStringLiteral(" % of the largest group")))
      << CellStarting(a.VirtualStringTree2, QStringLiteral("Audio")).toStdString();

  // The map reads out the folder it outlines, which follows the tree.
  a.VirtualStringTree->setCurrentIndex(a.FolderView->Model->index(0, 0, top));
  const QString map = TextOf(a.MapTab->Map, QAccessible::Description);
  EXPECT_TRUE(
      map.contains(QStringLiteral("Outlined: /fake/d, ") + Localized(QStringLiteral("87.89 KB"))))
      << map.toStdString();
  EXPECT_EQ(TextOf(a.MapTab->Map), QStringLiteral("Map"));

  // The measure is a toggle read as pressed or not; the map then says what its tiles stand for.
  QAccessibleInterface* measure = QAccessible::queryAccessibleInterface(a.MeasureButton);
  EXPECT_EQ(measure->text(QAccessible::Name), QStringLiteral("Size on Disk"));
  EXPECT_TRUE(measure->state().checkable);
  EXPECT_FALSE(measure->state().checked);
  a.MeasureButton->click();
  EXPECT_TRUE(measure->state().checked);
  EXPECT_TRUE(
      TextOf(a.MapTab->Map, QAccessible::Description)
          .startsWith(QStringLiteral("Every file as a tile sized by what it takes on disk")));
}

}  // namespace
}  // namespace Vellumetric::Testing
