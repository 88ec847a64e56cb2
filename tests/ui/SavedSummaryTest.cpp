// The save and open windows and the analyzer's saved-summary commands, on real files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "TRecordingLoadHooks.h"
#include "TScriptedPrompts.h"
#include "TTempDir.h"
#include "TTmpfsMount.h"
#include "UiTestSupport.h"
#include "model/VLMMessages.h"
#include "persistence/SummaryFile.h"
#include "ui/dialogs/TOpenSummaryForm.h"
#include "ui/dialogs/TSaveSummaryForm.h"
#include "ui/windows/TAnalyzerCommands.h"
#include "ui/windows/TMainForm.h"

namespace Vellumetric {
namespace {

using namespace Testing;

// A scanned folder as the platform writes it.
#ifdef _WIN32
const QString kHome = QStringLiteral("C:\\Users\\ann\\");
#else
const QString kHome = QStringLiteral("/home/ann/");
#endif
const QString kRoot = kHome + QStringLiteral("Ann's Fotos \u00e9t\u00e9");
const std::string kName = "Ann's Fotos \xc3\xa9t\xc3\xa9";

std::string ReadAll(const std::string& path) {
  std::ifstream in(PathOf(path), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// A General section of `big` files and one Detail group of `typed` files, with names that need
// care: blanks, letters beyond ASCII, an apostrophe.
void FillTrees(TSummaryTree& general, TSummaryTree& detail, int big, int typed) {
  general.Clear();
  detail.Clear();
  const TNodeId g = general.AddNode(NoNode, "20 Biggest Files");
  const TNodeId r = detail.AddNode(NoNode, "Raster Image Files (" + std::to_string(typed) + ")");
  const TPathText location(kRoot.toStdString());
  for (int i = 0; i < std::max(big, typed); ++i) {
    const std::string name = "Caf\xc3\xa9 d'\xc3\xa9t\xc3\xa9 " + std::to_string(i) + ".jpg";
    const std::uint64_t size = 1000u + static_cast<unsigned>(i);
    const std::uint64_t access = 133000000000000000ull + static_cast<unsigned>(i);
    if (i < big) general.AddNode(g, name, location, size, 0, access);
    if (i < typed) detail.AddNode(r, name, location, size, 1, access);
  }
}

struct TAnalyzerFixture {
  TTempDir Backup;
  TScriptedPrompts Script;
  TMainForm Form{120, FakeServices()};
  TVLMAnalyzerForm* A = nullptr;
  TAnalyzerCommands* C = nullptr;
  TSummaryTree General, Detail;
  std::vector<std::string> Roots{kRoot.toStdString()};
  std::string Loaded;

  TAnalyzerFixture() {
    Form.FormShow();
    A = Form.Analyzer;
    C = A->Commands;
    C->Prompts = Script.Prompts();
    C->Folders.BackupFolder = [this] { return Backup.Path(); };
    C->Summary = {&Roots, &General, &Detail};
    C->LoadSummary = [this](const std::string& path) { Loaded = path; };
    A->CurrentPath = kRoot.toStdString();
  }
  // Save Summary from the title bar, Save pressed in the save window, then the posted 2032. A
  // save window that refuses its proposed name is closed, so the test fails instead of hanging.
  void SaveThroughWindows() {
    PostVLMMessage(A, WM_SHOW_SAVE_SUMMARY);
    WhenModal([](QWidget* w) {
      auto* save = static_cast<TSaveSummaryForm*>(w);
      save->Button1->click();
      if (save->isVisible()) save->reject();
    });
    DeliverPosted();  // runs the save window's own loop; its 2032 is delivered after it
    DeliverPosted();
  }
};

TEST(SavedSummary, SaveThenOpenRoundTripThroughBothWindows) {
  TAnalyzerFixture f;
  FillTrees(f.General, f.Detail, 20, 3);
  f.SaveThroughWindows();
  const std::string file = f.Backup / (kName + ".sbf");
  ASSERT_EQ(f.A->SaveNameText, kName + ".sbf");
  const std::string written = ReadAll(file);
  EXPECT_EQ(written, SummaryFileBytes(f.Roots.front(), f.General, f.Detail));
  EXPECT_TRUE(f.Script.Shown.empty());

  // A second save proposes the next free name.
  PostVLMMessage(f.A, WM_SHOW_SAVE_SUMMARY);
  QString proposed;
  WhenModal([&](QWidget* w) {
    auto* save = static_cast<TSaveSummaryForm*>(w);
    proposed = save->Edit1->text();
    save->Button2->click();
  });
  DeliverPosted();
  EXPECT_EQ(proposed.toStdString(), kName + "(1)");

  WhenModal([&](QWidget* w) {
    auto* open = static_cast<TOpenSummaryForm*>(w);
    EXPECT_EQ(open->windowTitle(), QStringLiteral("  Open Saved Summary  "));
    ASSERT_EQ(open->ListView1->topLevelItemCount(), 1);
    EXPECT_EQ(open->ListView1->topLevelItem(0)->text(0).toStdString(), kName + ".sbf");
    open->ListView1->topLevelItem(0)->setSelected(true);
    open->OpenButton->click();
  });
  f.A->ToolButton10->click();  // runs the open window modally
  DeliverPosted();
  ASSERT_EQ(f.Loaded, file);
  EXPECT_EQ(f.A->OpenPathText, file);

  TSummaryTree general, detail;
  TRecordingLoadHooks hooks;
  ASSERT_TRUE(ReadSummaryFile(f.Loaded, general, detail, hooks, "/"));
  EXPECT_EQ(SummaryFileBytes(hooks.Root, general, detail), written);

  // No Backup folder at all: refused with a reason, never written to the file system's root.
  f.C->Folders.BackupFolder = [] { return std::string(); };
  PostVLMMessage(f.A, WM_SAVE_SUMMARY);
  DeliverPosted();
  EXPECT_EQ(f.Script.Shown,
            std::vector<std::string>{"Save Summary|The summary could not be saved as \"" + kName +
                                     ".sbf\": the Backup folder is not available."});
}

TEST(SavedSummary, ConfirmReplaceNoKeepsTheWindowAndTheFile) {
  TTempDir backup;
  std::ofstream(backup / "June.sbf") << "old";
  TScriptedPrompts script;
  script.Answers = {false, true};
  TMessageRecorder analyzer;
  std::string saveName;
  TSaveSummaryForm save(nullptr, kHome + QStringLiteral("June"), saveName, &analyzer, backup.Path(),
                        script.Prompts());
  save.show();
  EXPECT_EQ(save.Edit1->text(), QStringLiteral("June(1)"));
  save.Edit1->setText(QStringLiteral("June"));
  save.Button1->click();
  DeliverPosted();
  EXPECT_TRUE(save.isVisible());
  EXPECT_TRUE(analyzer.Messages.empty());
  EXPECT_EQ(script.Shown,
            std::vector<std::string>{"Confirm Replace|File June is already exists. Do you want to "
                                     "replace it?"});
  EXPECT_EQ(ReadAll(backup / "June.sbf"), "old");

  save.Edit1->setText(QStringLiteral("../June"));  // never outside the Backup folder
  save.Button1->click();
  EXPECT_EQ(script.Shown.back(),
            "Save Summary|A file name can't contain any of the following characters: "
            "\\ / : * ? \" < > |");
  save.Edit1->setText(QStringLiteral("Con .sbf"));
  save.Button1->click();
  EXPECT_EQ(script.Shown.back(),
            "Save Summary|CON is a name Windows keeps for a device, with or without an extension.");
  EXPECT_TRUE(save.isVisible());
  save.Edit1->setText(QStringLiteral("June.SBF"));
  save.Button1->click();  // the second answer: Yes
  DeliverPosted();
  EXPECT_FALSE(save.isVisible());
  EXPECT_EQ(saveName, "June.SBF");
  EXPECT_EQ(analyzer.Messages, (std::vector<std::pair<int, std::uintptr_t>>{{WM_SAVE_SUMMARY, 0}}));
}

// The names in a folder, one a line in byte order (a symbolic link by its own name).
std::string SortedNames(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  std::string text;
  for (const std::string& name : names) text += name + "\n";
  return text;
}

TEST(SavedSummary, SaveOnAFullDiskKeepsTheOldFileAndSaysWhy) {
  TAnalyzerFixture f;
  TTmpfsMount disk(f.Backup.Path(), 64);
  if (!disk.Mounted()) GTEST_SKIP() << disk.Reason();
  FillTrees(f.General, f.Detail, 20, 3);
  f.SaveThroughWindows();
  const std::string file = f.Backup / (kName + ".sbf");
  const std::string before = ReadAll(file);
  ASSERT_FALSE(before.empty());

  FillTrees(f.General, f.Detail, 20, 3000);  // far more than 64 KB
  PostVLMMessage(f.A, WM_SAVE_SUMMARY);      // the same name again, replace confirmed
  DeliverPosted();
  EXPECT_EQ(f.Script.Shown,
            std::vector<std::string>{"Save Summary|The summary could not be saved as \"" + kName +
                                     ".sbf\": " + std::strerror(ENOSPC) + "."});
  EXPECT_EQ(ReadAll(file), before);
  EXPECT_EQ(SortedNames(f.Backup.Path()), kName + ".sbf\n");
}

struct TOpenFixture {
  TTempDir Backup;
  TScriptedPrompts Script;
  TMessageRecorder Analyzer;
  std::string OpenPath;
  bool Ascending = false;
  bool Linked = false;  // Wine makes no symbolic links
  TOpenSummaryForm Open{
      nullptr,       &Analyzer, OpenPath,        QStringLiteral("  Open Saved Summary  "),
      Backup.Path(), Ascending, Script.Prompts()};

  TOpenFixture() {
    for (const char* name : {"b.sbf", "A.SBF", "c.sbf", "desktop.ini", "notes.txt"}) {
      std::ofstream(Backup / name) << name;
    }
    std::error_code ec;
    std::filesystem::create_directory(Backup / "dir.sbf", ec);
    std::filesystem::create_symlink("b.sbf", Backup / "link.sbf", ec);
    Linked = !ec;
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (int i = 0; i < Open.ListView1->topLevelItemCount(); ++i) {
      names.push_back(Open.ListView1->topLevelItem(i)->text(0).toStdString());
    }
    return names;
  }
  void Select(const std::vector<std::string>& names) {
    Open.ListView1->clearSelection();
    for (int i = 0; i < Open.ListView1->topLevelItemCount(); ++i) {
      QTreeWidgetItem* item = Open.ListView1->topLevelItem(i);
      for (const std::string& n : names) {
        if (item->text(0).toStdString() == n) item->setSelected(true);
      }
    }
  }
};

TEST(OpenSummary, ListsOnlySummaryFilesAndSortsByClickedColumn) {
  TOpenFixture f;
  f.Open.show();
  std::vector<std::string> names = f.Names();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"A.SBF", "b.sbf", "c.sbf"}));
  EXPECT_FALSE(f.Open.OpenButton->isEnabled());
  EXPECT_EQ(f.Open.ListView1->columnWidth(0), 350);
  EXPECT_EQ(f.Open.ListView1->columnWidth(1), 150);

  f.Open.ListView1ColumnClick(0);  // the column sorted last: the flag flips to ascending
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"A.SBF", "b.sbf", "c.sbf"}));
  f.Open.ListView1ColumnClick(0);
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"c.sbf", "b.sbf", "A.SBF"}));
  EXPECT_FALSE(f.Ascending);
  f.Open.ListView1ColumnClick(1);  // another column keeps the direction: descending by date
  EXPECT_FALSE(f.Ascending);
  f.Open.ListView1ColumnClick(1);
  EXPECT_TRUE(f.Ascending);

  // The flag outlives the window: a new window's first click on "Name" flips it again.
  TOpenSummaryForm again(nullptr, &f.Analyzer, f.OpenPath, QString(), f.Backup.Path(), f.Ascending);
  again.FormShow();
  again.ListView1ColumnClick(0);
  EXPECT_FALSE(f.Ascending);
  EXPECT_EQ(again.ListView1->topLevelItem(0)->text(0), QStringLiteral("c.sbf"));

  // Open takes the first selected item; nothing selected does nothing.
  f.Open.OpenButtonClick();
  DeliverPosted();
  EXPECT_TRUE(f.Analyzer.Messages.empty());
  f.Select({"c.sbf", "b.sbf"});
  EXPECT_TRUE(f.Open.OpenButton->isEnabled());
  f.Open.OpenButtonClick();
  DeliverPosted();
  EXPECT_EQ(f.OpenPath, f.Backup / f.Names().front());
  EXPECT_EQ(f.Analyzer.Messages,
            (std::vector<std::pair<int, std::uintptr_t>>{{WM_OPEN_SUMMARY, 0}}));
}

TEST(OpenSummary, DeleteAsksAndGoesOnPastAFileThatCannotBeDeleted) {
  TOpenFixture f;
  f.Open.show();
  f.Script.Answers = {false, true, true};
  f.Select({"c.sbf"});
  f.Open.DeleteButtonClick();  // No
  EXPECT_EQ(f.Names().size(), 3u);
  EXPECT_EQ(f.Script.Shown.back(), "Confirm Delete|Are you sure you want to delete \"c.sbf\"?");

  std::filesystem::remove(f.Backup / "b.sbf");  // gone before the delete: it cannot be deleted
  f.Select({"A.SBF", "b.sbf", "c.sbf"});
  f.Open.DeleteButtonClick();
  EXPECT_EQ(f.Script.Shown[1],
            "Confirm Delete|Are you sure you want to delete all selected items?");
  EXPECT_EQ(f.Script.Shown.size(), 3u);
  EXPECT_EQ(f.Script.Shown[2],
            "Cannot Delete|Backup file cannot be deleted at this time. Please try again later.");
  EXPECT_EQ(f.Names(), std::vector<std::string>{"b.sbf"});
  // Only the selected summaries went; the folder, the link and the other files stay.
  EXPECT_EQ(SortedNames(f.Backup.Path()),
            std::string("desktop.ini\ndir.sbf\n") + (f.Linked ? "link.sbf\n" : "") + "notes.txt\n");
}

}  // namespace
}  // namespace Vellumetric
