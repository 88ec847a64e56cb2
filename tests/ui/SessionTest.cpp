// A whole session in a temporary home: nothing outside the data folder may change.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "TDataHome.h"
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

namespace fs = std::filesystem;

// Every path below `root` with its size, mode and modification time, one a line, sorted; the
// folder `skipped` (relative, with '/') is left out with all it holds. From find, or on Windows
// from the file system's own walk.
std::string Listing(const std::string& root, const std::string& skipped = {}) {
#ifdef _WIN32
  const fs::path top = fs::u8path(root);
  std::vector<std::string> lines;
  const auto add = [&lines](const fs::path& path, const std::string& name) {
    const fs::file_status status = fs::symlink_status(path);
    const std::uintmax_t size = fs::is_regular_file(status) ? fs::file_size(path) : 0;
    lines.push_back(name + " " + std::to_string(size) + " " +
                    std::to_string(static_cast<unsigned>(status.permissions())) + " " +
                    std::to_string(fs::last_write_time(path).time_since_epoch().count()));
  };
  add(top, ".");
  for (auto it = fs::recursive_directory_iterator(top); it != fs::recursive_directory_iterator();
       ++it) {
    const std::string name = it->path().lexically_relative(top).generic_string();
    if (name == skipped) {
      it.disable_recursion_pending();
      continue;
    }
    add(it->path(), "./" + name);
  }
  std::sort(lines.begin(), lines.end());
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
#else
  const std::string prune =
      skipped.empty() ? std::string() : "-path " + ShellQuote("./" + skipped) + " -prune -o ";
  return RunCommand("cd " + ShellQuote(root) + " && find . " + prune +
                    "-printf '%p %s %m %T@\\n' | LC_ALL=C sort");
#endif
}

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(Session, ScanSaveOpenDeleteAndOptionsWriteOnlyTheDataFolder) {
  TTempDir home;
  fs::create_directories(home / ".local/share");
  fs::create_directories(home / "tree/sub");
  std::ofstream(home / "notes.txt") << "notes\n";
  MakeFile(home / "tree/sub/clip.avi", 9000);
  MakeFile(home / "tree/photo.JPG", 300);
  MakeFile(home / "tree/fileExtData.sqlite", 10);
  const TDataHome env(home / ".local/share");
  const std::string dataFolder = ".local/share/Quendrix Vellumetric";
  TAnalyzerServices services = FakeServices();
  services.WindowStateFolder = TAnalyzerServices().WindowStateFolder;  // the program's own
  TMainForm form(120, services);
  form.FormShow();  // sets up the data folder under the temporary home
  const std::string before = Listing(home.Path(), dataFolder);
  TVLMAnalyzerForm& a = *form.Analyzer;
  TAnalyzerCommands& c = *a.Commands;
  TScriptedPrompts script;
  c.Prompts = script.Prompts();

  // Options: a new group, then a scan with the changed lists.
  WhenOptionsAddGroup(QStringLiteral("Mine"), QStringLiteral(".mine"));
  a.ToolButton7->click();
  ASSERT_EQ(a.Groups.size(), 12u);
  // The folder as the system writes it, as the folder dialog gives it.
  const std::string tree = NativePath(home / "tree");
  TCliSession scan(a.Groups, a.Extensions, false);
  ASSERT_TRUE(scan.Scan(tree, false));
  scan.Summarise(tree);
  const std::vector<std::string> roots{tree};
  c.Summary = {&roots, &scan.General(), &scan.Detail()};

  // Save twice under the proposed names, open one, delete both.
  a.CurrentPath = tree;
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
  EXPECT_NE(loaded.find(NativePath(env.Path() + "/Quendrix Vellumetric/Backup/tree")),
            std::string::npos)
      << loaded;
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
  EXPECT_EQ(Listing(home.Path(), dataFolder), before);
  std::istringstream lines(Listing(home / dataFolder));
  std::string names;
  for (std::string line; std::getline(lines, line);) names += line.substr(0, line.find(' ')) + "\n";
  EXPECT_EQ(names, ".\n./Backup\n./Temp\n./fileExtData.sqlite\n./window-state.ini\n");
}

}  // namespace
}  // namespace Vellumetric
