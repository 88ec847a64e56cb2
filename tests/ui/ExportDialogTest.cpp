// Export from the results view, through the dialog as a user fills it in; the files are read back
// with Python's csv module and compared with what vellumetric-cli reports of the same tree.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>
#ifdef _WIN32
#include <winerror.h>
#endif

#include "TScriptedPrompts.h"
#include "TTempDir.h"
#include "UiTestSupport.h"
#include "UiWait.h"
#include "ui/dialogs/TExportDialog.h"
#include "ui/windows/TAnalyzerCommands.h"
#include "ui/windows/TMainForm.h"

namespace Vellumetric::Testing {
namespace {

// Every folder of the CSV export against the CLI's JSON tree of the same folder: path, name,
// depth, size in bytes, files and folders, each row once. Prints what differs; exit 1 then.
constexpr const char* kCompareTree = R"(
import csv, json, subprocess, sys
export, cli, root = sys.argv[1:4]
with open(export, newline='', encoding='utf-8') as f:
    rows = list(csv.reader(f))
assert rows[0] == ['path', 'name', 'depth', 'size_bytes', 'size', 'files', 'folders',
                   'share_of_parent_percent', 'disk_bytes'], rows[0]
doc = json.loads(subprocess.run([cli, 'scan', root, '--json', '--no-history'],
                                capture_output=True, check=True).stdout.decode('utf-8'))
want = {}
def walk(node, depth):
    want[node['path']] = [node['name'], depth, node['size'], node['files'], node['folders'],
                          node['disk_bytes']]
    for child in node['children']:
        walk(child, depth + 1)
walk(doc['tree'], 0)
got = {}
for r in rows[1:]:
    assert r[0] not in got, 'twice: ' + r[0]
    got[r[0]] = [r[1], int(r[2]), int(r[3]), int(r[5]), int(r[6]), int(r[8])]
for path in sorted(set(want) | set(got)):
    if want.get(path) != got.get(path):
        print(repr(path), 'cli', want.get(path), 'export', got.get(path))
print(len(got), 'folders')
sys.exit(0 if want == got else 1)
)";

std::string ReadWhole(const std::string& path) {
  std::ifstream in(PathOf(path), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Fills in the export dialog once it is open and presses Export; `then` runs once the write has
// ended (the dialog closes itself after a good one).
void WhenExportOpens(const std::function<void(TExportDialog&)>& choose, const std::string& file,
                     const std::function<void(TExportDialog&)>& then = {}) {
  WhenModal([=](QWidget* w) {
    auto& dialog = *static_cast<TExportDialog*>(w);
    choose(dialog);
    dialog.FileEdit->setText(QString::fromStdString(file));
    dialog.ExportButton->click();
    ASSERT_TRUE(RunUntil([&] { return !dialog.Writing(); }));
    if (then) then(dialog);
  });
}

// Names a CSV file must quote, and one that is not UTF-8; Windows names hold no '"', no line
// break and no byte that is not text.
#ifdef _WIN32
const char* const kFolders[] = {"plain/sub", "with, comma/deeper/deepest", "it's", "a;b",
                                "caf\xc3\xa9 \xe5\x86\x99"};
const char* const kNotes = "notes, v2.txt";
#else
const char* const kFolders[] = {"plain/sub", "with, comma/deeper/deepest", "say \"cheese\"",
                                "line\nbreak", "caf\xe9 latin1"};
const char* const kNotes = "notes, \"v2\".txt";
#endif

TEST(ExportDialog, TablesReadBackAsTheCommandLineReportsThemAndAFailedWriteLeavesNoFile) {
  TTempDir tmp;
  const std::string root = tmp / "tree";
  for (const std::string folder : kFolders) {
    MakeFolders(tmp / ("tree/" + folder));
    MakeFile(tmp / ("tree/" + folder + "/data.bin"), 1000 + folder.size());
    MakeFile(tmp / ("tree/" + folder + "/" + kNotes), 300);
  }
  MakeFile(tmp / "tree/plain/big.bin", 5 << 20);
  const std::string out = tmp / "out";
  MakeFolders(out);
#ifdef _WIN32
  // The build machine's path, which Wine reaches on the drive the tests run from.
  const std::u8string native = std::filesystem::absolute(PathOf(VLM_CLI_PATH)).u8string();
  const std::string cli = ShellQuote({native.begin(), native.end()});
#else
  MakeFolders(tmp / "data");
  const std::string cli =
      "XDG_DATA_HOME=" + ShellQuote(tmp / "data") + " " + ShellQuote(VLM_CLI_PATH);
#endif

  TMainForm form(96, ServicesWithDefaults());
  form.resize(1200, 900);
  form.show();
  TVLMAnalyzerForm& a = *form.Analyzer;
  TScriptedPrompts prompts;
  a.Commands->Prompts = prompts.Prompts();
  a.ScanFolder(root);
  ASSERT_TRUE(RunUntil([&] { return Settled(a); }));
  ASSERT_TRUE(a.IsButtonShown(a.ExportButton));

  // The whole folder tree as CSV.
  WhenExportOpens(
      [](TExportDialog& d) {
        d.TreeChoice->setChecked(true);
        d.DepthBox->setCurrentIndex(d.DepthBox->findData(-1));
        d.CsvChoice->setChecked(true);
      },
      tmp / "out/tree.csv");
  a.ExportButton->click();
#ifdef _WIN32
  // No Python here: the file must be what the command line writes of the same tree.
  const std::string csv = ReadWhole(tmp / "out/tree.csv");
  EXPECT_EQ(csv, RunCommand(cli + " scan " + ShellQuote(root) + " --csv --no-history"));
  std::size_t records = 0;
  for (std::size_t at = csv.find("\r\n"); at != std::string::npos; at = csv.find("\r\n", at + 1)) {
    ++records;
  }
  EXPECT_EQ(records, 1u + 9u);  // the header and every folder
#else
  int status = 0;
  const std::string compared =
      RunCommand("python3 -c " + ShellQuote(kCompareTree) + " " + ShellQuote(out + "/tree.csv") +
                     " " + ShellQuote(VLM_CLI_PATH) + " " + ShellQuote(root) + " 2>&1",
                 &status);
  EXPECT_EQ(status, 0) << compared;
  EXPECT_NE(compared.find("9 folders"), std::string::npos) << compared;
#endif

  // What the Find tab found, byte for byte what `vellumetric-cli find --csv` writes: every match,
  // also when the list shows only the largest.
  ASSERT_TRUE(a.ShowFind());
  a.FindTab->MaxListed = 3;
  QTest::keyClicks(a.FindTab->NameEdit, QStringLiteral("*.bin"));
  ASSERT_TRUE(RunUntil([&] { return !a.FindTab->Searching(); }));
  ASSERT_EQ(a.FindTab->Model->rowCount({}), 3);
  WhenExportOpens(
      [](TExportDialog& d) { ASSERT_TRUE(d.FoundChoice->isChecked()); },  // from the Find tab
      tmp / "out/found");  // the format's extension is added
  a.ExportButton->click();
  const std::string expected =
      RunCommand(cli + " find " + ShellQuote(root) + " --name " + ShellQuote("*.bin") + " --csv");
  EXPECT_EQ(ReadWhole(tmp / "out/found.csv"), expected);
  EXPECT_TRUE(prompts.Shown.empty());

  // A folder that is not there: the reason is shown, the dialog stays open, nothing is written.
  bool stayedOpen = false;
  WhenExportOpens([](TExportDialog& d) { d.JsonChoice->setChecked(true); },
                  tmp / "out/missing/tree.json",
                  [&](TExportDialog& d) {
                    stayedOpen = d.isVisible();
                    d.CancelButton->click();
                  });
  a.ExportButton->click();
  EXPECT_TRUE(stayedOpen);
  ASSERT_EQ(prompts.Shown.size(), 1u);
  EXPECT_NE(prompts.Shown[0].find("Export|The export could not be written to " +
                                  tmp / "out/missing/tree.json"),
            std::string::npos)
      << prompts.Shown[0];
  // The system's own words, in the running locale.
#ifdef _WIN32
  const std::string missing = std::system_category().message(ERROR_PATH_NOT_FOUND);
#else
  const std::string missing = std::strerror(ENOENT);
#endif
  EXPECT_NE(prompts.Shown[0].find(missing), std::string::npos) << prompts.Shown[0];
  std::vector<std::string> left;
  for (const auto& e : std::filesystem::directory_iterator(PathOf(out))) {
    left.push_back(e.path().filename().string());
  }
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"found.csv", "tree.csv"}));
}

}  // namespace
}  // namespace Vellumetric::Testing
