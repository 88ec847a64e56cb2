// The Changes tab and the history window as a user meets them: a real tree scanned, changed at
// several depths and scanned again (twice), checked against du and against the CLI's diff, also
// after another earlier scan is picked; a history that cannot be read; and two stored scans
// compared and deleted from the history window.
#include <gtest/gtest.h>
#include <sqlite3.h>
#ifdef _WIN32
#include <io.h>
#endif

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#ifdef _WIN32
#include "TDataHome.h"
#include "cli/HistoryCommands.h"
#else
#include "../cli/CliRunner.h"
#endif
#include "TScriptedPrompts.h"
#include "TTempDir.h"
#include "TTreeBuilder.h"
#include "UiTestSupport.h"
#include "UiWait.h"
#include "history/THistoryDatabase.h"
#include "system/Formatting.h"
#include "ui/dialogs/TScanHistoryForm.h"
#include "ui/windows/TAnalyzerCommands.h"
#include "ui/windows/TMainForm.h"

namespace Vellumetric::Testing {
namespace {

constexpr unsigned long long kMB = 1024 * 1024;

// The window with its history where the CLI finds it for the data folder `data`.
TAnalyzerServices Services(const std::string& data) {
  TAnalyzerServices s = ServicesWithDefaults();
  s.HistoryDatabase = [data] { return data + "/Quendrix Vellumetric/history.sqlite"; };
  return s;
}

bool InResults(const TVLMAnalyzerForm& a) {
  return !a.ProgressForm && !a.SummaryBusy && a.FolderView->Model->AttachedTree();
}

// Scans `root` in the window and waits for the results, the recording and the comparison. The
// copy of the tree made for the history (a whole tree's worth of memory) must be gone by then.
void ScanAndSettle(TVLMAnalyzerForm& a, const std::string& root) {
  std::weak_ptr<const TScanSnapshot> copy;
  const TScanHistoryHook::TBeforeRecording compare = a.History->BeforeRecording;
  a.History->BeforeRecording = [&](std::shared_ptr<const TScanSnapshot> scan,
                                   std::vector<TNodeId> nodes) {
    copy = scan;
    return compare(std::move(scan), std::move(nodes));
  };
  a.ScanFolder(root);
  ASSERT_TRUE(RunUntil([&] { return InResults(a); }));
  a.History->WaitIdle();
  ASSERT_TRUE(RunUntil([&] { return !a.ChangesTab->IsComparing(); }));
  a.History->BeforeRecording = compare;
  EXPECT_TRUE(copy.expired()) << "the history's copy of the tree is still kept";
}

// Clicks row `row` of the tab's list, which makes that folder the tree's current one, and
// answers the change its page tells (empty when it tells none).
QString PageChangeOfRow(TVLMAnalyzerForm& a, int row) {
  TChangesTab& tab = *a.ChangesTab;
  a.PageControl1->setCurrentWidget(tab.TabSheet);
  QApplication::processEvents();
  const QModelIndex spot = tab.Model->index(row, 0, {});
  tab.List->scrollTo(spot);
  QTest::mouseClick(tab.List->viewport(), Qt::LeftButton, {}, tab.List->visualRect(spot).center());
  for (int line = 0; line < a.ListView1->topLevelItemCount(); ++line) {
    if (a.ListView1->Cell(line, 0).startsWith(QStringLiteral("Change since "))) {
      return a.ListView1->Cell(line, 1);
    }
  }
  return {};
}

namespace fs = std::filesystem;

long long Du(const std::string& path) {
  return fs::exists(fs::symlink_status(fs::u8path(path)))
             ? static_cast<long long>(MeasureWithDuAndFind(path).Size)
             : 0;
}

// The list as the tab shows it: heading -> (path, exact change) in order.
using TShownList = std::map<std::string, std::vector<std::pair<std::string, long long>>>;

TShownList ShownList(const TChangesTab& tab) {
  TShownList out;
  std::string heading;
  const TChangesModel& m = *tab.Model;
  const TScanDiff& diff = *tab.ShownDiff();
  std::map<std::string, long long> changes;
  for (const auto* list : {&diff.Growth, &diff.Shrink, &diff.Added, &diff.Removed}) {
    for (const TFolderChange& c : *list) changes[c.Path] = c.Change();
  }
  for (int row = 0; row < m.rowCount({}); ++row) {
    const QModelIndex index = m.index(row, 0, {});
    if (m.IsHeading(row)) {
      heading = index.data().toString().toStdString();
      if (heading.rfind("...", 0) != 0) out[heading];
      continue;
    }
    const std::string path = index.data(TChangesModel::PathRole).toString().toStdString();
    out[heading].emplace_back(path, changes.at(path));
  }
  return out;
}

// `vellumetric-cli diff --json [FROM TO]` for the data folder `data` (the two newest scans when
// the ids are 0); `status` is its exit status.
#ifdef _WIN32
// A child process finds its data folder in the user's registry, which cannot be pointed
// elsewhere for it alone: the command line's own diff command runs in this process instead,
// with its standard output caught in a file.
std::string CliDiffJson(const std::string& data, std::int64_t from, std::int64_t to, int& status) {
  const TDataHome home(data);
  const TTempDir caught;
  const std::string file = caught / "diff.json";
  std::fflush(stdout);
  const int saved = _dup(_fileno(stdout));
  FILE* out = std::fopen(file.c_str(), "wb");
  if (saved < 0 || !out || _dup2(_fileno(out), _fileno(stdout)) != 0) {
    ADD_FAILURE() << "cannot catch the standard output";
    if (out) std::fclose(out);
    if (saved >= 0) _close(saved);
    return {};
  }
  TDiffArgs args;
  args.Json = true;
  args.FromId = from;
  args.ToId = to;
  status = RunDiffCommand(args);
  std::fflush(stdout);
  _dup2(saved, _fileno(stdout));
  _close(saved);
  std::fclose(out);
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}
#else
std::string CliDiffJson(const std::string& data, std::int64_t from, std::int64_t to, int& status) {
  const std::string ids = from ? " " + std::to_string(from) + " " + std::to_string(to) : "";
  return RunCommand(
      "XDG_DATA_HOME=" + ShellQuote(data) + " " + ShellQuote(kCli) + " diff --json" + ids, &status);
}
#endif

// The same list from the command line's diff of the history in `data`.
TShownList CliList(const std::string& data, std::int64_t from = 0, std::int64_t to = 0) {
  int status = -1;
  const std::string text = CliDiffJson(data, from, to, status);
  EXPECT_EQ(status, 0) << text;
  QJsonParseError error{};
  const QJsonObject diff =
      QJsonDocument::fromJson(QByteArray::fromStdString(text), &error).object();
  EXPECT_EQ(error.error, QJsonParseError::NoError) << text;
  TShownList out;
  for (const auto& [key, title] : {std::pair{"growth", "Growth spots"},
                                   {"shrink", "Shrink spots"},
                                   {"new", "New folders"},
                                   {"gone", "Gone folders"}}) {
    if (diff.value(QString::fromLatin1(key) + QStringLiteral("_count")).toInteger() == 0) continue;
    auto& list = out[title];
    for (const QJsonValue& change : diff.value(QString::fromLatin1(key)).toArray()) {
      list.emplace_back(change[QStringLiteral("path")].toString().toStdString(),
                        change[QStringLiteral("change")].toInteger());
    }
  }
  return out;
}

TEST(ChangesTab, ASecondScanShowsWhatDuSaysChangedAndTheSameListAsTheCli) {
  TTempDir tmp;
  const std::string data = tmp / "data";
  const std::string root = tmp / "tree";
  for (const char* dir :
       {"data", "data/Quendrix Vellumetric", "tree", "tree/a", "tree/a/b", "tree/a/b/c", "tree/d",
        "tree/e", "tree/s", "tree/s/t", "tree/gone", "tree/gone/inner"}) {
    ASSERT_TRUE(fs::create_directory(tmp / dir)) << dir;
  }
  MakeFile(root + "/a/b/c/grows.bin", 1 * kMB);
  MakeFile(root + "/a/other.txt", 10000);
  MakeFile(root + "/d/old.txt", 50000);
  MakeFile(root + "/s/t/shrinks.iso", 4 * kMB);
  MakeFile(root + "/gone/inner/blob", 3 * kMB / 2);
  TMainForm form(96, Services(data));
  form.show();
  TVLMAnalyzerForm& a = *form.Analyzer;
  ScanAndSettle(a, root);
  EXPECT_FALSE(a.ChangesTab->IsShown());  // nothing to compare the first scan with

  const std::vector<std::string> watched = {"/a/b/c", "/d", "/e/new/deeper", "/s/t", "/gone/inner"};
  std::map<std::string, long long> before;
  for (const std::string& w : watched) before[w] = Du(root + w);
  const long long totalBefore = Du(root);
  const std::string gone = NormalizeScanRoot(root) + NativePath("/gone");
  const auto goneBefore = static_cast<std::uint64_t>(Du(root + "/gone"));
  MakeFile(root + "/a/b/c/grows.bin", 6 * kMB);  // grown three levels down
  MakeFile(root + "/d/new.bin", 3 * kMB);        // a new file one level down
  fs::create_directories(root + "/e/new/deeper");
  MakeFile(root + "/e/new/deeper/blob", 2 * kMB);  // a new subtree
  MakeFile(root + "/s/t/shrinks.iso", 1 * kMB);    // shrunk
  fs::remove_all(root + "/gone");
  a.BackClick();
  ASSERT_TRUE(RunUntil([&] { return a.QuickInfo != nullptr; }));
  ScanAndSettle(a, root);

  TChangesTab& tab = *a.ChangesTab;
  ASSERT_TRUE(tab.IsShown());
  ASSERT_NE(tab.ShownDiff(), nullptr);
  const TScanDiff& diff = *tab.ShownDiff();
  EXPECT_EQ(diff.TotalChange, Du(root) - totalBefore);
  const std::string total = FormatSizeChange(diff.TotalChange, Localized(".").toStdString());
  EXPECT_TRUE(tab.Total->text().contains(QString::fromStdString(total).trimmed()))
      << tab.Total->text().toStdString();
  std::map<std::string, long long> shown;
  for (const TFolderChange& c : diff.Growth) {
    // Folder entries change by a few bytes on some file systems: noise, not data.
    if (c.Change() > 64 * 1024) shown[c.Path.substr(NormalizeScanRoot(root).size())] = c.Change();
  }
  const auto duChange = [&](const std::string& w) { return Du(root + w) - before[w]; };
  EXPECT_EQ(shown, (std::map<std::string, long long>{
                       {NativePath("/a/b/c"), duChange("/a/b/c")},
                       {NativePath("/d"), duChange("/d")},
                       {NativePath("/e/new/deeper"), duChange("/e/new/deeper")}}));
  // The first growth spot is the folder that grew most: a/b/c.
  EXPECT_EQ(tab.Model->index(1, 0, {}).data(TChangesModel::PathRole).toString().toStdString(),
            NormalizeScanRoot(root) + NativePath("/a/b/c"));
  EXPECT_EQ(ShownList(tab), CliList(data));

  // A click on a spot makes it the tree's current folder; its page tells its change.
  const auto changeText = [](long long change) {
    return QString::fromStdString(FormatSizeChange(change, Localized(".").toStdString())).trimmed();
  };
  EXPECT_EQ(PageChangeOfRow(a, 1), changeText(duChange("/a/b/c")));
  EXPECT_EQ(a.FolderView->SelectedFolderPath(), root + NativePath("/a/b/c"));  // the root as given
  // A gone folder shows its old size and cannot be chosen.
  bool goneFound = false;
  for (int row = 0; row < tab.Model->rowCount({}); ++row) {
    const QModelIndex i = tab.Model->index(row, 0, {});
    if (i.data(TChangesModel::PathRole).toString() != QString::fromStdString(gone)) continue;
    goneFound = true;
    EXPECT_FALSE(tab.Model->flags(i) & Qt::ItemIsSelectable);
    EXPECT_EQ(
        tab.Model->index(row, 2, {}).data().toString(),
        QString::fromStdString(FormatSize(goneBefore, 2, Localized(".").toStdString())).trimmed());
  }
  EXPECT_TRUE(goneFound);

  // A third scan; then the older earlier scan is picked. The tab kept none of this scan's
  // folders, so it is compared as the history stored it: the list must be the CLI's diff of
  // those two scans, and a folder's page its change since then.
  MakeFile(root + "/a/b/c/grows.bin", 8 * kMB);
  a.BackClick();
  ASSERT_TRUE(RunUntil([&] { return a.QuickInfo != nullptr; }));
  ScanAndSettle(a, root);
  std::vector<TScanSnapshot> scans;
  {
    THistoryDatabase db(data + "/Quendrix Vellumetric/history.sqlite");
    ASSERT_TRUE(db.ListScans(NormalizeScanRoot(root), scans));
  }
  ASSERT_EQ(scans.size(), 3u);
  ASSERT_EQ(tab.Chooser->count(), 2);
  tab.Chooser->setCurrentIndex(1);
  emit tab.Chooser->activated(1);
  ASSERT_TRUE(RunUntil([&] { return !tab.IsComparing(); }));
  ASSERT_NE(tab.ShownDiff(), nullptr) << tab.Message->text().toStdString();
  EXPECT_EQ(tab.ShownDiff()->TotalChange, Du(root) - totalBefore);
  EXPECT_EQ(ShownList(tab), CliList(data, scans[2].Id, scans[0].Id));
  EXPECT_EQ(PageChangeOfRow(a, 1), changeText(duChange("/a/b/c")));
  EXPECT_EQ(a.FolderView->SelectedFolderPath(), root + NativePath("/a/b/c"));

  // With the scan gone from the history there is nothing to compare: the tab says so.
  {
    THistoryDatabase db(data + "/Quendrix Vellumetric/history.sqlite");
    int removed = 0;
    ASSERT_TRUE(db.DeleteScans({scans[0].Id}, removed));
  }
  emit tab.Chooser->activated(0);
  ASSERT_TRUE(RunUntil([&] { return !tab.IsComparing(); }));
  EXPECT_EQ(tab.Stack->currentWidget(), tab.Message);
  EXPECT_TRUE(tab.Message->text().startsWith(QStringLiteral("The scans cannot be compared: ")))
      << tab.Message->text().toStdString();
  EXPECT_TRUE(tab.IsShown());
}

// A history this program cannot read costs the tab, never the results; the reason is a quiet
// note beside the folder's name, as for a failed recording.
TEST(ChangesTab, AHistoryThatCannotBeReadHidesTheTabWithAQuietNote) {
  TTempDir tmp;
  const std::string data = tmp / "data";
  const std::string folder = data + "/Quendrix Vellumetric";
  fs::create_directories(folder);
  fs::create_directories(tmp / "tree/sub");
  MakeFile(tmp / "tree/sub/file.bin", 5000);
  const std::string database = folder + "/history.sqlite";
  TMainForm form(96, Services(data));
  form.show();
  TVLMAnalyzerForm& a = *form.Analyzer;
  ScanAndSettle(a, tmp / "tree");  // one readable scan to compare with

  struct TCase {
    const char* Name;
    std::function<void()> Break;
    const char* Note;
  };
  const TCase cases[] = {
      {"newer",
       [&] {
         sqlite3* db = nullptr;
         ASSERT_EQ(sqlite3_open(database.c_str(), &db), SQLITE_OK);
         sqlite3_exec(db, "pragma user_version = 9", nullptr, nullptr, nullptr);
         sqlite3_close(db);
       },
       "newer version"},
      {"damaged", [&] { std::ofstream(database, std::ios::binary) << std::string(9000, 'Z'); },
       "damaged"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    c.Break();
    a.BackClick();
    ASSERT_TRUE(RunUntil([&] { return a.QuickInfo != nullptr; }));
    ScanAndSettle(a, tmp / "tree");
    EXPECT_FALSE(a.ChangesTab->IsShown());
    ASSERT_TRUE(RunUntil([&] { return a.History->WarningLabel->isVisibleTo(&a); }));
    EXPECT_TRUE(a.History->WarningLabel->text().contains(QString::fromLatin1(c.Note)))
        << a.History->WarningLabel->text().toStdString();
    EXPECT_EQ(a.FolderTree.Data(a.FolderTree.FirstChild(NoNode)).Size,
              MeasureWithDuAndFind(tmp / "tree").Size);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);  // no message box
  }
}

// Four stored scans: two of one folder are compared from the history window without a scan,
// one is deleted after the question, and F1 there opens the page about it.
TEST(ScanHistoryForm, ListsComparesAndDeletesStoredScans) {
  TTempDir tmp;
  const std::string data = tmp / "data";
  fs::create_directories(data + "/Quendrix Vellumetric");
  {
    THistoryDatabase db(data + "/Quendrix Vellumetric/history.sqlite");
    const auto scan = [](const std::string& root, std::uint64_t size, std::int64_t started) {
      TScanSnapshot s;
      s.Root = root;
      s.Started = started;
      s.Size = size + 100;
      s.Files = 3;
      s.FolderCount = 1;
      s.AddFolder(NoNode, "", size + 100, 3, 1);
      s.AddFolder(0, "grows", size, 3, 0);
      return s;
    };
    ASSERT_TRUE(db.Store(scan("/srv/a", 1000, 1700000000)));
    ASSERT_TRUE(db.Store(scan("/srv/a", 5000, 1700086400)));
    ASSERT_TRUE(db.Store(scan("/srv/b", 7, 1700090000)));
    ASSERT_TRUE(db.Store(scan("/srv/a", 9000, 1700172800)));
  }
  TMainForm form(120, Services(data));
  form.show();
  TVLMAnalyzerForm& a = *form.Analyzer;
  TScriptedPrompts script;
  a.Commands->Prompts = script.Prompts();
  ASSERT_TRUE(a.IsButtonShown(a.ToolButton11));

  bool compared = false;
  WhenModal([&](QWidget* w) {
    auto* h = dynamic_cast<TScanHistoryForm*>(w);
    ASSERT_NE(h, nullptr);
    ASSERT_TRUE(RunUntil([&] { return !h->IsLoading(); }));
    QTreeWidget& list = *h->ListView1;
    ASSERT_EQ(list.topLevelItemCount(), 4);
    EXPECT_EQ(list.topLevelItem(0)->text(0), QStringLiteral("/srv/a"));  // newest first
    EXPECT_EQ(list.topLevelItem(1)->text(0), QStringLiteral("/srv/b"));
    EXPECT_EQ(list.topLevelItem(0)->text(3), Localized(QStringLiteral("8.89 KB")));
    EXPECT_EQ(list.topLevelItem(0)->text(4), QStringLiteral("3"));
    // F1 here opens the page about this window.
    QTest::keyClick(&list, Qt::Key_F1);
    ASSERT_NE(a.Commands->Help.Window(), nullptr);
    EXPECT_TRUE(a.Commands->Help.Window()->Browser->source().toString().endsWith(
        QStringLiteral("/Changes.htm")));
    a.Commands->Help.Window()->close();
    // One scan of each folder cannot be compared; two of one folder can.
    list.topLevelItem(0)->setSelected(true);
    list.topLevelItem(1)->setSelected(true);
    EXPECT_FALSE(h->CompareButton->isEnabled());
    list.topLevelItem(1)->setSelected(false);
    list.topLevelItem(3)->setSelected(true);
    ASSERT_TRUE(h->CompareButton->isEnabled());
    h->CompareButton->click();
    compared = true;
  });
  a.ToolButton11->click();
  ASSERT_TRUE(compared);
  TChangesTab& tab = *a.ChangesTab;
  ASSERT_TRUE(RunUntil([&] { return !tab.IsComparing(); }));
  ASSERT_NE(tab.ShownDiff(), nullptr);
  EXPECT_EQ(tab.ShownDiff()->TotalChange, 8000);
  EXPECT_EQ(a.PageControl1->currentWidget(), tab.TabSheet);
  EXPECT_FALSE(a.PageControl1->isTabVisible(0));  // no General page without a scan
  // The earlier scans of /srv/a are offered, newest first; another one is compared on request.
  ASSERT_EQ(tab.Chooser->count(), 2);
  EXPECT_EQ(tab.Chart->Points().size(), 3u);
  tab.Chooser->setCurrentIndex(0);
  emit tab.Chooser->activated(0);
  EXPECT_TRUE(tab.IsComparing());
  ASSERT_TRUE(RunUntil([&] { return !tab.IsComparing(); }));
  EXPECT_EQ(tab.ShownDiff()->TotalChange, 4000);

  a.BackClick();
  script.Answers = {false, true};
  bool deleted = false;
  WhenModal([&](QWidget* w) {
    auto* h = static_cast<TScanHistoryForm*>(w);
    ASSERT_TRUE(RunUntil([&] { return !h->IsLoading(); }));
    h->ListView1->topLevelItem(1)->setSelected(true);
    h->DeleteButton->click();  // answered No: nothing happens
    EXPECT_EQ(h->ListView1->topLevelItemCount(), 4);
    h->DeleteButton->click();
    ASSERT_TRUE(RunUntil([&] { return !h->IsLoading(); }));
    EXPECT_EQ(h->ListView1->topLevelItemCount(), 3);
    deleted = true;
    h->close();
  });
  a.ToolButton11->click();
  ASSERT_TRUE(deleted);
  ASSERT_EQ(script.Shown.size(), 2u);
  EXPECT_NE(script.Shown[1].find("Confirm Delete|Are you sure you want to delete the scan of "
                                 "\"/srv/b\""),
            std::string::npos)
      << script.Shown[1];
  THistoryDatabase db(data + "/Quendrix Vellumetric/history.sqlite");
  std::vector<TScanSnapshot> left;
  ASSERT_TRUE(db.ListScans("", left));
  EXPECT_EQ(left.size(), 3u);
  for (const TScanSnapshot& s : left) EXPECT_EQ(s.Root, "/srv/a");
}

}  // namespace
}  // namespace Vellumetric::Testing
