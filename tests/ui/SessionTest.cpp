// A whole session in a temporary home: nothing outside the data folder may change.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "TScriptedPrompts.h"
#include "TTempDir.h"
#include "UiTestSupport.h"
#include "cli/TCliSession.h"
#include "model/VLMMessages.h"
#include "ui/dialogs/TOpenSummaryForm.h"
#include "ui/dialogs/TSaveSummaryForm.h"
#include "ui/dialogs/options/TVLMOptionsForm.h"
#include "ui/windows/TAnalyzerCommands.h"
#include "ui/windows/TMainForm.h"
#include "ui/windows/TWindowMemory.h"

namespace Vellumetric {
namespace {

using namespace Testing;

// Every path below `home` except the data folder, with its size, mode and modification time.
std::string Listing(const std::string& home) {
  return RunCommand("cd " + ShellQuote(home) +
                    " && find . -path './.local/share/Quendrix Vellumetric' -prune -o"
                    " -printf '%p %s %m %T@\\n' | LC_ALL=C sort");
}

class TDataHome {
 public:
  explicit TDataHome(const std::string& dataHome) : Old(std::getenv("XDG_DATA_HOME")) {
    ::setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
  }
  ~TDataHome() { ::setenv("XDG_DATA_HOME", Old.c_str(), 1); }

 private:
  std::string Old;
};

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(Session, ScanSaveOpenDeleteAndOptionsWriteOnlyTheDataFolder) {
  TTempDir home;
  RunCommand("mkdir -p " + ShellQuote(home / ".local/share") + " " + ShellQuote(home / "tree/sub") +
             " && echo notes > " + ShellQuote(home / "notes.txt"));
  MakeFile(home / "tree/sub/clip.avi", 9000);
  MakeFile(home / "tree/photo.JPG", 300);
  MakeFile(home / "tree/fileExtData.sqlite", 10);
  const TDataHome env(home / ".local/share");
  TAnalyzerServices services = FakeServices();
  services.WindowStateFolder = TAnalyzerServices().WindowStateFolder;  // the program's own
  TMainForm form(120, services);
  form.FormShow();  // sets up the data folder under the temporary home
  const std::string before = Listing(home.Path());
  TVLMAnalyzerForm& a = *form.Analyzer;
  TAnalyzerCommands& c = *a.Commands;
  TScriptedPrompts script;
  c.Prompts = script.Prompts();

  // Options: a new group, then a scan with the changed lists.
  WhenOptionsAddGroup(QStringLiteral("Mine"), QStringLiteral(".mine"));
  a.ToolButton7->click();
  ASSERT_EQ(a.Groups.size(), 12u);
  TCliSession scan(a.Groups, a.Extensions, false);
  ASSERT_TRUE(scan.Scan(home / "tree", false));
  scan.Summarise(home / "tree");
  const std::vector<std::string> roots{home / "tree"};
  c.Summary = {&roots, &scan.General(), &scan.Detail()};

  // Save twice under the proposed names, open one, delete both.
  a.CurrentPath = home / "tree";
  for (int i = 0; i < 2; ++i) {
    PostVLMMessage(&a, WM_SHOW_SAVE_SUMMARY);
    WhenModal([](QWidget* w) { static_cast<TSaveSummaryForm*>(w)->Button1->click(); });
    DeliverPosted();
    DeliverPosted();
  }
  std::string loaded;
  c.LoadSummary = [&](const std::string& path) { loaded = path; };
  WhenModal([](QWidget* w) {
    auto* open = static_cast<TOpenSummaryForm*>(w);
    open->ListView1->topLevelItem(0)->setSelected(true);
    open->OpenButton->click();
  });
  a.ToolButton10->click();
  DeliverPosted();
  EXPECT_NE(loaded.find("/.local/share/Quendrix Vellumetric/Backup/tree"), std::string::npos);
  script.Answers = {true, true};
  WhenModal([](QWidget* w) {
    auto* open = static_cast<TOpenSummaryForm*>(w);
    EXPECT_EQ(open->ListView1->topLevelItemCount(), 2);
    open->ListView1->selectAll();
    open->DeleteButton->click();
    EXPECT_EQ(open->ListView1->topLevelItemCount(), 0);
    open->close();
  });
  a.ToolButton10->click();

  // Reset to the default groups: the window's state, kept beside the groups, is not touched.
  const std::string stateFile = home / ".local/share/Quendrix Vellumetric/window-state.ini";
  ASSERT_TRUE(form.Memory->Save());
  const std::string state = FileBytes(stateFile);
  ASSERT_NE(state.find("Main.Geometry="), std::string::npos);
  WhenModal([](QWidget* w) {
    auto* options = static_cast<TVLMOptionsForm*>(w);
    options->Reset_ToolButton->click();
    options->close();
  });
  a.ToolButton7->click();
  EXPECT_EQ(a.Groups.size(), 11u);
  EXPECT_EQ(script.Shown.size(), 2u);  // the delete and reset questions, no error
  EXPECT_EQ(FileBytes(stateFile), state);

  // Closing writes the window's state, in the data folder too.
  form.show();
  form.close();
  EXPECT_EQ(Listing(home.Path()), before);
  EXPECT_EQ(RunCommand("cd " + ShellQuote(home / ".local/share/Quendrix Vellumetric") +
                       " && find . | LC_ALL=C sort"),
            ".\n./Backup\n./Temp\n./fileExtData.sqlite\n./window-state.ini\n");
}

}  // namespace
}  // namespace Vellumetric
