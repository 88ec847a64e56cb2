// A scan read from an ncdu export, through the window: the results view over the file's tree,
// what needs the disk switched off, and back to normal with the next scan of the disk.
#include <gtest/gtest.h>

#include <fstream>

#include "TTempDir.h"
#include "UiTestSupport.h"
#include "UiWait.h"
#include "system/TextEncoding.h"
#include "ui/windows/StartPath.h"
#include "ui/windows/TMainForm.h"

namespace Vellumetric::Testing {
namespace {

bool InResults(const TVLMAnalyzerForm& a) {
  return !a.ProgressForm && !a.SummaryBusy && a.Summary->DetailModel->AttachedTree();
}

// A server's export: 7,000 + 500 + 30 bytes of files below /srv/data, the folder's own entry of
// 4096 counted in its parent, as our scans count it.
constexpr const char* kExport =
    R"([1,2,{"progname":"ncdu","progver":"1.18","timestamp":1700000000},
[{"name":"/srv/data","asize":4096,"dsize":4096},
 {"name":"movie.mp4","asize":7000,"dsize":8192},
 [{"name":"docs","asize":4096,"dsize":4096},
  {"name":"a.pdf","asize":500,"dsize":4096},
  {"name":"b.txt","asize":30,"dsize":4096}]]])";

TEST(ScanFile, OpensAsReadOnlyResultsAndTheNextScanIsLocalAgain) {
  TTempDir dir;
  const std::string file = dir / "nas01.json";
  std::ofstream(Utf8Path(file), std::ios::binary) << kExport;
  TAnalyzerServices services = ServicesWithDefaults();
  services.ChooseScanFile = [file](QWidget*) { return file; };
  TMainForm form(96, services);
  form.show();
  TVLMAnalyzerForm& a = *form.Analyzer;
  ASSERT_TRUE(a.IsButtonShown(a.OpenScanFileButton));
  a.OpenScanFileButton->click();
  ASSERT_TRUE(RunUntil([&] { return InResults(a); }));

  const TNodeId top = a.FolderTree.FirstChild(NoNode);
  ASSERT_NE(top, NoNode);
  EXPECT_EQ(a.FolderTree.Data(top).Path.Str(), "/srv/data");
  EXPECT_EQ(a.FolderTree.Data(top).Size, 7000U + 4096 + 500 + 30);
  EXPECT_EQ(a.FolderTree.Data(top).DiskSize, 4096U + 8192 + 4096 + 4096 + 4096);
  EXPECT_EQ(a.FileRecords.Count(), 3U);  // what the map, Find and Export read
  EXPECT_EQ(a.BiggestFiles.Count(), 3U);
  const QString caption = a.StaticText1->text();
  EXPECT_TRUE(caption.startsWith("/srv/data: scanned by ncdu 1.18, ")) << caption.toStdString();
  EXPECT_TRUE(caption.endsWith(", from nas01.json")) << caption.toStdString();
  EXPECT_FALSE(a.ScanAgainButton->isEnabled());
  EXPECT_FALSE(a.Shell->PathsAreLocal());
  EXPECT_TRUE(a.IsButtonShown(a.ExportButton));

  a.BackClick();
  ASSERT_TRUE(RunUntil([&] { return a.QuickInfo != nullptr; }));
  a.ScanFolder(dir.Path());
  ASSERT_TRUE(RunUntil([&] { return InResults(a); }));
  EXPECT_TRUE(a.ScanAgainButton->isEnabled());
  EXPECT_TRUE(a.Shell->PathsAreLocal());
  EXPECT_FALSE(a.ScanFile);
}

TEST(ScanFile, AFileBrokenPartWayIsReportedAndNothingIsShown) {
  TTempDir dir;
  const std::string file = dir / "cut.json";
  const std::string text = kExport;
  std::ofstream(Utf8Path(file), std::ios::binary) << text.substr(0, text.find("b.txt"));
  TAnalyzerServices services = ServicesWithDefaults();
  QString reported;
  services.ScanFileError = [&reported](QWidget*, const QString& text, const QString&) {
    reported = text;
  };
  TMainForm form(96, services);
  form.show();
  TVLMAnalyzerForm& a = *form.Analyzer;
  a.OpenScanFile(file);
  ASSERT_TRUE(RunUntil([&] { return !reported.isEmpty(); }));
  EXPECT_TRUE(reported.contains("at byte")) << reported.toStdString();
  EXPECT_TRUE(a.QuickInfo);
  EXPECT_FALSE(a.ProgressForm);
  EXPECT_TRUE(a.Shell->PathsAreLocal());

  // Neither a missing file nor one that is no export gets as far as the scan view.
  reported.clear();
  a.OpenScanFile(dir / "missing.json");
  EXPECT_TRUE(reported.contains("cannot be opened")) << reported.toStdString();
  EXPECT_FALSE(a.ProgressForm);
}

TEST(ScanFile, TheCommandLineTellsAnExportFromAFolderByItsContent) {
  TTempDir dir;
  const std::string file = dir / "scan.data";  // no telling extension
  std::ofstream(Utf8Path(file), std::ios::binary) << kExport;
  std::ofstream(Utf8Path(dir / "notes.txt"), std::ios::binary) << "hello";
  TStartTarget target;
  std::string message;
  ASSERT_TRUE(ResolveStartArgument(file, target, message)) << message;
  EXPECT_FALSE(target.ScanFile.empty());
  EXPECT_TRUE(target.Folder.empty());
  EXPECT_FALSE(ResolveStartArgument(dir / "notes.txt", target, message));
}

}  // namespace
}  // namespace Vellumetric::Testing
