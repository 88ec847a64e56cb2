// Every command from its key, every dialog with Return and Escape, and Tab through the windows in
// the order their controls are seen in.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <filesystem>
#include <functional>
#include <set>

#include "../scan/TFakeDirectoryLister.h"
#include "TScriptedPrompts.h"
#include "TTempDir.h"
#include "UiTestSupport.h"
#include "UiWait.h"
#include "ui/dialogs/TOpenSummaryForm.h"
#include "ui/dialogs/TSaveSummaryForm.h"
#include "ui/dialogs/TVLMAboutForm.h"
#include "ui/dialogs/TVLMHelpForm.h"
#include "ui/dialogs/options/TVLMOptionsForm.h"
#include "ui/windows/TAnalyzerCommands.h"
#include "ui/windows/TMainForm.h"
#include "ui/windows/TWidgetAccess.h"

namespace Vellumetric::Testing {
namespace {

// The widget of `window` a key goes to, the window made the active one first: on the offscreen
// platform a closed dialog leaves no window active, and a dialog just shown is not active until
// it has been exposed.
QWidget* KeyTarget(QWidget* window) {
  if (!window->isActiveWindow()) {
    static_cast<void>(QTest::qWaitForWindowExposed(window));
    window->activateWindow();
    static_cast<void>(QTest::qWaitForWindowActive(window));
  }
  QWidget* focus = QApplication::focusWidget();
  return focus && focus->window() == window ? focus : window;
}

// Presses the key the table gives `command` in `window`, as the user would.
void Press(QWidget* window, std::string_view command) {
  const QKeySequence key = TWidgetAccess::KeyOf(command);
  ASSERT_FALSE(key.isEmpty()) << command;
  QTest::keyClick(KeyTarget(window), key[0].key(), key[0].keyboardModifiers());
}

void Key(QWidget* window, Qt::Key key) {
  QTest::keyClick(KeyTarget(window), key);
}

// Runs `action` on the next modal dialog once it is up: a key clicks its button a moment after
// it is pressed, so the dialog is not there yet when this is asked for.
void WhenModalAppears(std::function<void(QWidget*)> action) {
  auto* poll = new QTimer;
  poll->setInterval(5);
  QObject::connect(poll, &QTimer::timeout, [poll, action] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible()) return;
    poll->stop();
    poll->deleteLater();
    action(modal);
  });
  poll->start();
}

// The dialog a command's key opens, by its object name; the dialog is closed again.
std::string DialogOf(QWidget* window, std::string_view command) {
  std::string name;
  WhenModalAppears([&](QWidget* dialog) {
    name = dialog->objectName().toStdString();
    dialog->close();
  });
  Press(window, command);
  RunUntil([&] { return !name.empty(); });
  return name;
}

// The names in `folder`, one a line: from ls, or on Windows from the file system's own listing.
std::string FolderListing(const std::string& folder) {
#ifdef _WIN32
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::u8path(folder))) {
    names.insert(entry.path().filename().string());
  }
  std::string listing;
  for (const std::string& name : names) listing += name + "\n";
  return listing;
#else
  return RunCommand("ls " + ShellQuote(folder));
#endif
}

bool InResults(const TVLMAnalyzerForm& a) {
  return !a.ProgressForm && !a.SummaryBusy && a.Summary->DetailModel->AttachedTree();
}

TNodeId TopFolder(const TVLMAnalyzerForm& a) {
  return a.FolderView->Model->NodeOf(a.FolderView->Model->index(0, 0, {}));
}

// The object names the focus visits from where it is, pressing Tab until it is back.
std::vector<std::string> TabRound(QWidget* window) {
  std::vector<std::string> names;
  QWidget* first = KeyTarget(window);
  for (int i = 0; i < 40; ++i) {
    names.push_back(QApplication::focusWidget()->objectName().toStdString());
    Key(window, Qt::Key_Tab);
    if (QApplication::focusWidget() == first) break;
  }
  return names;
}

TEST(Keys, EveryCommandOfTheMainWindowRunsFromItsKey) {
  TTempDir tree;
  std::filesystem::create_directories(tree / "a/b");
  MakeFile(tree / "a/b/film.mp4", 3 << 20);
  MakeFile(tree / "a/notes.doc", 10 << 10);
  TAnalyzerServices services = ServicesWithDefaults();
  const std::string root = tree.Path();
  services.BuildDisks = [root](TDiskList& d) {
    d = FakeDisks();
    d[0].RootPath = root;
  };
  TTempDir data;  // the scan history, so a second scan has a Changes page
  services.HistoryDatabase = [&] { return data / "history.sqlite"; };
  // Scans started, seen through the listers they ask for: a small tree's scan view may come and
  // go between two looks at the window.
  std::atomic<int> listed{0};
  services.Listers = [&listed] {
    ++listed;
    return CreateDirectoryLister();
  };
  int browsed = 0;
  services.ChooseFolder = [&](QWidget*) {
    ++browsed;
    return tree / "a";
  };
  TMainForm form(120, services);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  TVLMAnalyzerForm& a = *form.Analyzer;
  const auto scanned = [&](int before) {
    return [&, before] { return listed.load() > before && InResults(a); };
  };
  TScriptedPrompts script;
  int scans = 0;
  a.Commands->Prompts = script.Prompts();

  // The start view's windows.
  EXPECT_EQ(DialogOf(&form, "Open Saved Summary"), "TOpenSummaryForm");
  EXPECT_EQ(DialogOf(&form, "Options"), "TVLMOptionsForm");
  EXPECT_EQ(DialogOf(&form, "Scan History"), "TScanHistoryForm");
  Press(&form, "Help");
  ASSERT_TRUE(RunUntil([&] { return a.Commands->Help.Window() != nullptr; }));
  TVLMHelpForm* help = a.Commands->Help.Window();
  ASSERT_TRUE(help->isVisible());
  help->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(help));
  Press(help, "Close Help");
  EXPECT_FALSE(help->isVisible());
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));

  // Scan Folder; the summary's pages; Save Summary; Scan Again, which finds a file added since.
  Press(&form, "Scan Folder");
  ASSERT_TRUE(RunUntil([&] { return browsed == 1 && InResults(a); }));
  EXPECT_EQ(a.ScanRoots, std::vector<std::string>{tree / "a"});
  for (const auto& [command, page] :
       {std::pair{"Detail", "TabSheet2"}, {"Map", "MapTabSheet"}, {"General", "TabSheet1"}}) {
    Press(&form, command);
    EXPECT_EQ(a.PageControl1->currentWidget()->objectName(), page);
  }
  Press(&form, "Find");  // the page, and the name field to type into
  EXPECT_EQ(a.PageControl1->currentWidget()->objectName(), "FindTabSheet");
  EXPECT_EQ(QApplication::focusWidget()->objectName(), "FindName");
  EXPECT_EQ(DialogOf(&form, "Save Summary"), "TSaveSummaryForm");
  EXPECT_EQ(DialogOf(&form, "Export"), "TExportDialog");
  const std::uint64_t before = a.FolderTree.Data(TopFolder(a)).Size;
  MakeFile(tree / "a/new.iso", 1 << 20);
  scans = listed.load();
  Press(&form, "Scan Again");
  ASSERT_TRUE(RunUntil(scanned(scans)));
  EXPECT_EQ(a.FolderTree.Data(TopFolder(a)).Size, before + (1 << 20));
  EXPECT_EQ(a.FolderTree.Data(TopFolder(a)).Kind, FolderKindFolder);
  EXPECT_EQ(browsed, 1);  // the same folder: nobody was asked again
  ASSERT_TRUE(RunUntil([&] { return a.ChangesTab->IsShown(); }));
  Press(&form, "Changes");
  EXPECT_EQ(a.PageControl1->currentWidget()->objectName(), "ChangesTabSheet");

  // Back; Scan Drive (the selected tile's); Scan Again keeps a drive scan a drive scan.
  Press(&form, "Back");
  // The toolbar lays out its buttons when the event loop next runs; a hidden one takes no key.
  ASSERT_TRUE(RunUntil([&] { return a.QuickInfo != nullptr && a.ToolButton1->isVisible(); }));
  scans = listed.load();
  Press(&form, "Scan Drive");
  ASSERT_TRUE(RunUntil(scanned(scans)));
  EXPECT_EQ(a.ScanRoots, std::vector<std::string>{root});
  scans = listed.load();
  Press(&form, "Scan Again");
  ASSERT_TRUE(RunUntil(scanned(scans)));
  EXPECT_EQ(a.ScanRoots, std::vector<std::string>{root});
  EXPECT_EQ(a.FolderTree.Data(TopFolder(a)).Kind, FolderKindDrive);

  Press(&form, "Quit");
  EXPECT_TRUE(RunUntil([&] { return !form.isVisible(); }));
  EXPECT_TRUE(script.Shown.empty());
}

// Escape stops a scan; Tab goes through the start view and the results in the order they are
// seen in; Return and Escape do in each dialog what its buttons say.
TEST(Keys, EscapeTabReturnAndTheDialogs) {
  // A folder written as the system writes it, so the save window proposes its plain name.
#ifdef _WIN32
  const std::string root = "C:\\fake";
  auto fake = std::make_shared<TFakeDirectoryLister>(TPathStyle::Windows);
#else
  const std::string root = "/fake";
  auto fake = std::make_shared<TFakeDirectoryLister>(TPathStyle::Posix);
#endif
  fake->Add(root, {{"d", true, 0, 0}, {"song.mp3", false, 5000, 1}});
  fake->Add(root + NativePath("/d"), {{"film.mp4", false, 90000, 1}});
  auto hold = std::make_shared<std::atomic<bool>>(true);
  fake->OnEnter = [hold](const std::string&) {
    while (hold->load()) QThread::msleep(1);
  };
  TAnalyzerServices services = ServicesWithDefaults();
  services.Listers = [fake] { return std::make_unique<TFakeDirectoryLister>(*fake); };
  services.ChooseFolder = [root](QWidget*) { return root; };
  TMainForm form(120, services);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  TVLMAnalyzerForm& a = *form.Analyzer;

  a.ToolButton1->setFocus();
  EXPECT_EQ(
      TabRound(&form),
      (std::vector<std::string>{"ToolButton1", "ToolButton2", "ToolButton7", "ToolButton10",
                                "OpenScanFileButton", "ToolButton11", "ToolButton5", "ToolButton9",
                                "ToolButton4", "ApplyRulesBox", "TVLMDriveListForm", "ListView1"}));
  a.QuickInfo->DriveList->setFocus();
  Key(&form, Qt::Key_Down);  // the tiles follow the arrows, and the page follows the tile
  DeliverPosted();
  EXPECT_EQ(a.QuickInfo->DriveList->SelectedIndex, 1);
  EXPECT_EQ(a.CurrentPath, "/data");

  // Options: Return in the extension box adds it; Tab goes down the panel; Escape goes back
  // from the panel without saving, then closes the dialog.
  std::vector<std::string> panelRound;
  bool added = false, backed = false;
  WhenModalAppears([&](QWidget* dialog) {
    auto* options = static_cast<TVLMOptionsForm*>(dialog);
    options->ToolButton3->click();
    // The toolbar shows its Back once the event loop next runs; a hidden button takes no key.
    static_cast<void>(RunUntil([&] { return options->ToolButton2->isVisible(); }));
    QTest::keyClicks(options->Panel1->Edit1, QStringLiteral("Mine"));
    options->Panel1->Edit2->setFocus();
    QTest::keyClicks(options->Panel1->Edit2, QStringLiteral(".mine"));
    Key(options, Qt::Key_Return);
    added = options->isVisible() && options->Panel1->ListBox1->count() == 1;
    options->Panel1->Edit1->setFocus();
    panelRound = TabRound(options);
    Key(options, Qt::Key_Escape);
    backed =
        RunUntil([&] { return options->Pages->currentIndex() == 0; }, 5000) && options->isVisible();
    Key(options, Qt::Key_Escape);
  });
  a.ToolButton7->click();
  EXPECT_TRUE(added);
  EXPECT_TRUE(backed);
  EXPECT_EQ(a.Groups.size(), DefaultGroupList().size());  // nothing was saved
  // Top to bottom (Remove is passed over while it is greyed).
  std::erase(panelRound, "Button4");
  // The tab bar of the options' pages comes between the buttons and the toolbar.
  EXPECT_EQ(panelRound,
            (std::vector<std::string>{"Edit1", "Edit2", "Button3", "ListBox1", "SaveButton",
                                      "Button1", "qt_tabwidget_tabbar", "ToolButton2"}));

  // Escape in the scan view is its Cancel; the scan is held in its first folder meanwhile.
  Press(&form, "Scan Folder");
  ASSERT_TRUE(RunUntil([&] { return a.ProgressForm != nullptr; }));
  QPushButton* cancel = a.ProgressForm->InfoStrip->Button1;
  Press(&form, "Cancel Scan");
  ASSERT_TRUE(RunUntil([&] { return !cancel->isEnabled(); }));
  DeliverPosted();  // the request reaches the scan before it is let go
  hold->store(false);
  ASSERT_TRUE(RunUntil([&] { return a.QuickInfo != nullptr && !a.ProgressForm; }));
  EXPECT_EQ(a.FolderView->Model->AttachedTree(), nullptr);  // no results: it was cancelled
  a.ScanFolder(root);
  ASSERT_TRUE(RunUntil([&] { return InResults(a); }));
  a.ScanAgainButton->setFocus();
  EXPECT_EQ(TabRound(&form), (std::vector<std::string>{
                                 "ScanAgainButton", "ExportButton", "MeasureButton", "ToolButton5",
                                 "ToolButton9", "ToolButton4", "VirtualStringTree", "ListView1",
                                 "qt_tabwidget_tabbar", "VirtualStringTree1", "ToolButton6"}));

  // Save: Return saves under the proposed name. About: Return closes it.
  int saves = 0;
  TTempDir backup;
  a.Commands->Folders.BackupFolder = [&] { return backup.Path(); };
  WhenModalAppears([&](QWidget* dialog) {
    Key(dialog, Qt::Key_Return);
    saves += dialog->isVisible() ? 0 : 1;
  });
  Press(&form, "Save Summary");
  ASSERT_TRUE(RunUntil([&] { return saves == 1; }));
  DeliverPosted();
  EXPECT_EQ(FolderListing(backup.Path()), "fake.sbf\n");
  bool aboutClosed = false;
  WhenModalAppears([&](QWidget* dialog) {
    Key(dialog, Qt::Key_Return);
    aboutClosed = !dialog->isVisible();
    if (!aboutClosed) dialog->close();
  });
  a.ToolButton4->click();
  EXPECT_TRUE(aboutClosed);
}

}  // namespace
}  // namespace Vellumetric::Testing
