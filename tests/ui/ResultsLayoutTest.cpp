// The results view's layout: its columns fit the window without a sideways scroll, and what the
// user made of the window (size, place, splitter, columns, sort order, the page looked at last)
// comes back at the next start from the data folder, unless what is stored there is damaged.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "TTempDir.h"
#include "UiTestSupport.h"
#include "UiWait.h"
#include "persistence/TWindowStateFile.h"
#include "ui/windows/TMainForm.h"

namespace Vellumetric::Testing {
namespace {

bool InResults(const TVLMAnalyzerForm& a) {
  return !a.ProgressForm && !a.SummaryBusy && a.Summary->DetailModel->AttachedTree();
}

// Files with long names, in folders with long names.
void MakeTree(const TTempDir& tree) {
  std::filesystem::create_directories(tree / "Holiday photographs of the summer/raw");
  std::filesystem::create_directories(tree / "music");
  MakeFile(tree / "Holiday photographs of the summer/raw/IMG_20260712_183255_HDR.JPG", 7 << 20);
  MakeFile(tree / "music/a quite long title of a song - the artist.mp3", 5 << 20);
  MakeFile(tree / "music/short.mp3", 900);
  MakeFile(tree / "report.doc", 45 << 10);
}

void ScanAndWait(TVLMAnalyzerForm& a, const std::string& root) {
  a.ScanFolder(root);
  ASSERT_TRUE(RunUntil([&] { return InResults(a); }));
  QCoreApplication::processEvents();
}

// Every column as wide as its header and (but for the path) its texts, and no column pushed
// past the view's right edge.
void ExpectColumnsFit(QTreeView* tree, const char* view) {
  SCOPED_TRACE(view);
  QHeaderView* header = tree->header();
  EXPECT_LE(header->length(), tree->viewport()->width());
  for (int c = 0; c < header->count(); ++c) {
    EXPECT_GE(header->sectionSize(c), header->sectionSizeHint(c)) << "header of column " << c;
    if (c == 0 || c == 3) continue;  // the name takes what is left; a path may be longer
    // Through the base class, where the widest text of a column is public.
    const QAbstractItemView* view = tree;
    EXPECT_GE(header->sectionSize(c), view->sizeHintForColumn(c)) << "texts of column " << c;
  }
}

TEST(ResultsLayout, EveryColumnIsReadableWithoutScrollingAtTheDefaultSize) {
  TTempDir tree;
  MakeTree(tree);
  TMainForm form(96, ServicesWithDefaults());
  form.show();
  TVLMAnalyzerForm& a = *form.Analyzer;
  ScanAndWait(a, tree.Path());
  a.VirtualStringTree->expandAll();
  ExpectColumnsFit(a.VirtualStringTree, "folders");
  for (const int page : {0, 1}) {
    a.PageControl1->setCurrentIndex(page);
    QTreeView* view = page == 0 ? a.VirtualStringTree1 : a.VirtualStringTree2;
    ASSERT_TRUE(RunUntil([&] { return view->isVisible(); }));
    view->expandAll();
    ExpectColumnsFit(view, page == 0 ? "General" : "Detail");
    // The name column has the room the others leave, far more than its shortest width.
    EXPECT_GT(view->header()->sectionSize(0), 3 * view->header()->minimumSectionSize());
  }
}

TEST(ResultsLayout, WhatTheUserMadeOfTheWindowComesBackUnlessItIsDamaged) {
  TTempDir tree, data;
  MakeTree(tree);
  TAnalyzerServices services = ServicesWithDefaults();
  services.WindowStateFolder = [&] { return data.Path(); };
  const QRect placed(40, 30, 760, 540);
  QRect defaultPlace;  // where a window with nothing kept opens
  {
    TMainForm form(96, ServicesWithDefaults());
    form.show();
    defaultPlace = form.geometry();
  }
  ASSERT_NE(defaultPlace, placed);
  int summaryHeight = 0;
  {
    TMainForm form(96, services);
    form.show();
    form.setGeometry(placed);
    TVLMAnalyzerForm& a = *form.Analyzer;
    ScanAndWait(a, tree.Path());
    a.Splitter1->setSizes({150, a.Splitter1->height() - 150});  // the summary panel made taller
    QCoreApplication::processEvents();
    summaryHeight = a.Panel4->height();
    a.VirtualStringTree2->header()->resizeSection(1, 123);
    a.VirtualStringTree2->header()->resizeSection(3, 210);
    a.FolderView->HeaderClick(Qt::LeftButton);  // smallest first
    a.PageControl1->setCurrentIndex(2);         // the map
    form.close();
  }
  const auto expectRestored = [&](TMainForm& form, bool place) {
    TVLMAnalyzerForm& a = *form.Analyzer;
    if (place) {
      EXPECT_EQ(form.geometry(), placed);
    }
    ScanAndWait(a, tree.Path());
    EXPECT_EQ(a.Panel4->height(), summaryHeight);
    EXPECT_EQ(a.VirtualStringTree2->header()->sectionSize(1), 123);
    EXPECT_EQ(a.VirtualStringTree2->header()->sectionSize(3), 210);
    EXPECT_EQ(a.FolderView->SortDirection(), Qt::AscendingOrder);
    EXPECT_EQ(a.PageControl1->currentWidget()->objectName(), "MapTabSheet");
  };
  {
    TMainForm form(96, services);
    form.show();
    expectRestored(form, true);
  }

  // Saved on a screen that is gone: the window opens at its default place, the rest comes back.
  const std::string file = data / TWindowStateFile::FileName;
  TWindowStateFile state;
  ASSERT_TRUE(state.Load(file));
  state.SetInts("Main.Geometry", {5000, 3000, 760, 540});
  std::string error;
  ASSERT_TRUE(state.Save(data.Path(), error)) << error;
  {
    TMainForm form(96, services);
    form.show();
    EXPECT_EQ(form.geometry(), defaultPlace);
    expectRestored(form, false);
  }

  // Damaged: the defaults, as on a first start.
  std::ofstream(file, std::ios::binary | std::ios::trunc) << "[WindowState]\nVersion=1\n\x01\x02";
  TMainForm form(96, services);
  form.show();
  EXPECT_EQ(form.geometry(), defaultPlace);
  TVLMAnalyzerForm& a = *form.Analyzer;
  ScanAndWait(a, tree.Path());
  EXPECT_EQ(a.FolderView->SortDirection(), Qt::DescendingOrder);
  EXPECT_EQ(a.PageControl1->currentIndex(), 0);
  EXPECT_NE(a.VirtualStringTree2->header()->sectionSize(1), 123);
}

}  // namespace
}  // namespace Vellumetric::Testing
