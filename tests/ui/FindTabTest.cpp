// The Find tab of the results view, typed into as a user would, against GNU find on a real tree.
#include <gtest/gtest.h>

#include <QTest>
#include <algorithm>
#include <random>
#include <set>

#include "TTempDir.h"
#include "TTreeBuilder.h"
#include "UiTestSupport.h"
#include "UiWait.h"
#include "ui/windows/TMainForm.h"

namespace Vellumetric::Testing {
namespace {

struct TFoundByFind {
  std::vector<std::string> Paths;  // sorted
  std::uint64_t Bytes = 0;
};

// GNU find's answer to `findTests` (in the C locale, so case folding is ASCII only); on Windows
// the same question asked through `keep`.
TFoundByFind Find(const std::string& root, const std::string& findTests,
                  const std::function<bool(const TFileFact&)>& keep) {
  TFoundByFind found;
  for (const TFileFact& file : FindRegularFiles(root, findTests, keep)) {
    found.Bytes += file.Size;
    found.Paths.push_back(file.Path);
  }
  return found;
}

std::string AsciiLower(std::string text) {
  for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return text;
}

std::string FolderOf(const std::string& path) {
  return path.substr(0, path.rfind(kSeparator));
}

TEST(FindTab, TypedPatternAndSizesListWhatGnuFindFindsAndAClickFocusesTheFolder) {
  TTempDir tree;
  for (const char* folder : {"lib/x86", "deep/a/b", "other"}) MakeFolders(tree / folder);
  // The edges of the size range: 10 MiB and 20 MiB - 1 are in, one byte less and 20 MiB out.
  MakeFile(tree / "lib/libten.so", 10 << 20);
  MakeFile(tree / "lib/libjustunder.so", (10 << 20) - 1);
  MakeFile(tree / "lib/x86/LIBUPPER.SO", 15 << 20);
  MakeFile(tree / "lib/x86/libtwenty.so", 20 << 20);
  MakeFile(tree / "deep/a/b/libalmost.so", (20 << 20) - 1);
  MakeFile(tree / "deep/a/b/libnot.so.1", 12 << 20);
  MakeFile(tree / "deep/a/b/so", 12 << 20);
  MakeFile(tree / "other/caf\xc3\xa9 [1].so", 11 << 20);
  MakeFile(tree / "other/.hidden.so", 13 << 20);
  // Many more files of random names and sizes around the range.
  std::mt19937 random(7);
  const char* extensions[] = {".so", ".SO", ".sO", ".a", ".so.2", ".txt", ""};
  for (int i = 0; i < 150; ++i) {
    const std::string folder = i % 3 == 0 ? "lib" : i % 3 == 1 ? "deep/a" : "other";
    const std::string name = "f" + std::to_string(i) + extensions[random() % 7];
    MakeFile(tree / (folder + "/" + name), (random() % 24 + 1) * (1 << 20) + random() % 1000);
  }

  TMainForm form(96, ServicesWithDefaults());
  form.resize(1200, 900);
  form.show();
  TVLMAnalyzerForm& a = *form.Analyzer;
  a.ScanFolder(tree.Path());
  ASSERT_TRUE(RunUntil([&] { return Settled(a); }));
  ASSERT_TRUE(a.ShowFind());
  TFindTabController& find = *a.FindTab;
  EXPECT_EQ(a.PageControl1->currentWidget(), find.TabSheet);

  // A size that cannot be read says why and lists nothing.
  QTest::keyClicks(find.MinEdit, QStringLiteral("10Q"));
  ASSERT_TRUE(RunUntil([&] { return !find.Searching(); }));
  EXPECT_TRUE(find.Status->text().contains(QStringLiteral("Size from")))
      << find.Status->text().toStdString();
  EXPECT_EQ(find.Model->rowCount({}), 0);

  find.MinEdit->clear();
  QTest::keyClicks(find.MinEdit, QStringLiteral("10M"));
  QTest::keyClicks(find.MaxEdit, QStringLiteral("<20M"));
  find.NameEdit->setFocus();
  QTest::keyClicks(find.NameEdit, QStringLiteral("*.so"));
  ASSERT_TRUE(RunUntil([&] { return !find.Searching(); }));

  const TFoundByFind truth =
      Find(tree.Path(), "-iname '*.so' -size +10485759c -size -20971520c", [](const TFileFact& f) {
        const std::string name = AsciiLower(f.Name);
        return name.size() >= 3 && name.compare(name.size() - 3, 3, ".so") == 0 &&
               f.Size >= (10u << 20) && f.Size < (20u << 20);
      });
  ASSERT_GT(truth.Paths.size(), 5u);
  const int rows = find.Model->rowCount({});
  std::vector<std::string> listed;
  std::uint64_t previous = ~0ULL;
  for (int row = 0; row < rows; ++row) {
    listed.push_back(find.Model->PathAt(row));
    const std::uint64_t size = a.FileRecords.Record(find.Model->FileAt(row)).Size;
    EXPECT_LE(size, previous) << "largest first, row " << row;
    previous = size;
  }
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, truth.Paths);
  const auto result = find.SharedResult();
  ASSERT_TRUE(result);
  EXPECT_EQ(result->Count, truth.Paths.size());
  EXPECT_EQ(result->Bytes, truth.Bytes);
  EXPECT_TRUE(find.Status->text().contains(
      QLocale::system().toString(static_cast<qulonglong>(truth.Bytes)) + " bytes"))
      << find.Status->text().toStdString();

  // The map outlines every folder holding a match, and no other.
  std::set<std::string> truthFolders, marked;
  for (const std::string& p : truth.Paths) truthFolders.insert(FolderOf(p));
  for (const TNodeId folder : a.MapTab->Map->MarkedFolders()) {
    marked.insert(a.FolderTree.Data(folder).Path.Str());
  }
  EXPECT_EQ(marked, truthFolders);

  // A click on the row of the file three levels down focuses its folder in the folder tree.
  int deepRow = -1;
  for (int row = 0; row < rows; ++row) {
    if (find.Model->PathAt(row) == tree / "deep/a/b/libalmost.so") deepRow = row;
  }
  ASSERT_GE(deepRow, 0);
  const QModelIndex cell = find.Model->index(deepRow, 0);
  find.List->scrollTo(cell);
  QTest::mouseClick(find.List->viewport(), Qt::LeftButton, Qt::NoModifier,
                    find.List->visualRect(cell).center());
  const TNodeId current = a.FolderView->Model->NodeOf(a.VirtualStringTree->currentIndex());
  ASSERT_NE(current, NoNode);
  EXPECT_EQ(a.FolderTree.Data(current).Path.Str(), tree / "deep/a/b");
  EXPECT_EQ(a.CurrentPath, tree / "deep/a/b");

  // A plain word is looked for anywhere in the name.
  find.MinEdit->clear();
  find.MaxEdit->clear();
  find.NameEdit->clear();
  QTest::keyClicks(find.NameEdit, QStringLiteral("UPPER"));
  ASSERT_TRUE(RunUntil([&] { return !find.Searching(); }));
  EXPECT_EQ(find.Model->rowCount({}),
            static_cast<int>(Find(tree.Path(), "-iname '*upper*'", [](const TFileFact& f) {
                               return AsciiLower(f.Name).find("upper") != std::string::npos;
                             }).Paths.size()));
  EXPECT_EQ(find.Model->PathAt(0), tree / "lib/x86/LIBUPPER.SO");
}

}  // namespace
}  // namespace Vellumetric::Testing
