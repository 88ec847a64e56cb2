#include "ui/windows/TWindowMemory.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <cstdio>

#include "system/SystemFolders.h"
#include "system/WindowPlacement.h"
#include "ui/windows/TVLMAnalyzerForm.h"

namespace Vellumetric {
namespace {

constexpr int kMaxLength = 100000;  // no screen is wider; anything beyond is not a size

std::vector<TScreenRect> AvailableScreens() {
  std::vector<TScreenRect> screens;
  for (const QScreen* s : QGuiApplication::screens()) {
    const QRect r = s->availableGeometry();
    screens.push_back({r.x(), r.y(), r.width(), r.height()});
  }
  return screens;
}

}  // namespace

TWindowMemory::TWindowMemory(QWidget& window, TVLMAnalyzerForm& analyzer, std::string folder)
    : QObject(&window), Window(window), Analyzer(analyzer), Folder(std::move(folder)) {
  TVLMAnalyzerForm& a = Analyzer;
  // The page in view when the results are left (Back, Scan Again, closing) is the one shown
  // next time.
  a.Panel4->installEventFilter(this);
  // A splitter the user drags is where the summary panel stays, for this scan and the next.
  connect(a.Splitter1, &QSplitter::splitterMoved, this, [&a] {
    if (a.Splitter1->widget(0)->isVisible() && a.Panel4->isVisible()) {
      a.SummaryPanelHeight = a.Panel4->height();
    }
  });
}

void TWindowMemory::Restore() {
  if (Folder.empty() || !State.Load(JoinNativePath(Folder, TWindowStateFile::FileName))) return;
  RestoreGeometry();
  TVLMAnalyzerForm& a = Analyzer;
  if (const auto h = State.Ints("Results.SummaryHeight", 1, 40, kMaxLength)) {
    a.SummaryPanelHeight = h->front();
  }
  RestoreColumns(a.VirtualStringTree->header(), "Folders.Widths", 0);
  RestoreColumns(a.VirtualStringTree1->header(), "General.Widths", 0);
  RestoreColumns(a.VirtualStringTree2->header(), "Detail.Widths", 0);
  if (const auto d = State.Ints("Folders.Ascending", 1, 0, 1)) {
    a.FolderView->SetDirection(d->front() ? Qt::AscendingOrder : Qt::DescendingOrder);
  }
  if (const auto m = State.Ints("View.MeasureOnDisk", 1, 0, 1)) {
    a.SetMeasure(m->front() ? TMeasure::Disk : TMeasure::Size);
  }
  if (const auto page = State.Text("Summary.Page")) LastPage = QString::fromStdString(*page);
}

void TWindowMemory::RestoreGeometry() {
  const auto g = State.Ints("Main.Geometry", 4, -kMaxLength, kMaxLength);
  if (!g) return;
  const auto placed = PlaceSavedWindow({(*g)[0], (*g)[1], (*g)[2], (*g)[3]}, AvailableScreens());
  if (!placed) return;  // its screen is gone: the default place
  Window.setGeometry(placed->X, placed->Y, placed->Width, placed->Height);
  if (const auto m = State.Ints("Main.Maximized", 1, 0, 1); m && m->front() == 1) {
    Window.setWindowState(Window.windowState() | Qt::WindowMaximized);
  }
}

// The stretched column takes what the others leave; it is not given a width of its own. A store
// written before a column was added gives the columns it knows their widths; the new one keeps
// its own.
void TWindowMemory::RestoreColumns(QHeaderView* header, const char* key, int stretched) {
  const auto widths = State.Ints(key, 0, 8, kMaxLength);
  if (!widths || widths->empty() || widths->size() > static_cast<std::size_t>(header->count())) {
    return;
  }
  for (int i = 0; i < static_cast<int>(widths->size()); ++i) {
    if (i != stretched) header->resizeSection(i, (*widths)[static_cast<std::size_t>(i)]);
  }
}

void TWindowMemory::SaveColumns(QHeaderView* header, const char* key) {
  std::vector<int> widths;
  for (int i = 0; i < header->count(); ++i) widths.push_back(header->sectionSize(i));
  State.SetInts(key, widths);
}

bool TWindowMemory::Save() {
  TVLMAnalyzerForm& a = Analyzer;
  if (a.Panel4->isVisible()) NotePage();
  if (Folder.empty()) return true;
  const QRect g = Window.isMaximized() ? Window.normalGeometry() : Window.geometry();
  State.SetInts("Main.Geometry", {g.x(), g.y(), g.width(), g.height()});
  State.SetInts("Main.Maximized", {Window.isMaximized() ? 1 : 0});
  const bool results = a.Splitter1->widget(0)->isVisible() && a.Panel4->isVisible();
  State.SetInts("Results.SummaryHeight", {results ? a.Panel4->height() : a.SummaryPanelHeight});
  SaveColumns(a.VirtualStringTree->header(), "Folders.Widths");
  SaveColumns(a.VirtualStringTree1->header(), "General.Widths");
  SaveColumns(a.VirtualStringTree2->header(), "Detail.Widths");
  State.SetInts("Folders.Ascending", {a.FolderView->SortDirection() == Qt::AscendingOrder ? 1 : 0});
  State.SetInts("View.MeasureOnDisk", {a.Measure() == TMeasure::Disk ? 1 : 0});
  if (!LastPage.isEmpty()) State.SetText("Summary.Page", LastPage.toStdString());
  std::string error;
  if (State.Save(Folder, error)) return true;
  // Only the layout is lost; the user is not troubled with it.
  std::fprintf(stderr, "The window state could not be saved: %s\n", error.c_str());
  return false;
}

void TWindowMemory::ShowLastSummaryPage() {
  QTabWidget* tabs = Analyzer.PageControl1;
  for (int i = 0; i < tabs->count(); ++i) {
    if (tabs->widget(i)->objectName() == LastPage && tabs->isTabVisible(i)) {
      tabs->setCurrentIndex(i);
      return;
    }
  }
  tabs->setCurrentIndex(0);
}

void TWindowMemory::NotePage() {
  if (const QWidget* page = Analyzer.PageControl1->currentWidget()) {
    LastPage = page->objectName();
  }
}

// The summary panel is hidden when its results are left (Back, Scan Again, the window closing):
// the page it shows then is the one the user looked at last.
bool TWindowMemory::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Hide && watched == Analyzer.Panel4 && !event->spontaneous()) {
    NotePage();
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace Vellumetric
