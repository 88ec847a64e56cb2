#include "ui/results/summary/TSummaryViewController.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QHeaderView>
#include <QKeyEvent>
#include <QStyle>
#include <algorithm>

#include "scan/SummaryPages.h"
#include "system/Formatting.h"
#include "system/NativePlatform.h"
#include "system/PathRules.h"
#include "system/SystemFolders.h"
#include "ui/common/UiMetrics.h"
#include "ui/models/FileListHeader.h"
#include "ui/models/LastAccessText.h"
#include "ui/results/TShareBarDelegate.h"
#include "ui/services/TIconSet.h"

namespace Vellumetric {
namespace {

const auto SortDoneEvent = static_cast<QEvent::Type>(QEvent::User + 1501);

// A moment as the scan records it: 100 ns units since 1601-01-01 UTC.
std::uint64_t FileTimeOf(const QDateTime& moment) {
  constexpr std::int64_t kUnixEpochInMs = 11644473600000LL;
  return static_cast<std::uint64_t>(moment.toMSecsSinceEpoch() + kUnixEpochInMs) * 10000;
}

std::string Separator() {
  return NativePathStyle() == TPathStyle::Windows ? "\\" : "/";
}

}  // namespace

TSummaryViewController::TSummaryViewController(QObject* parent, const TSummaryControls& controls,
                                               TDesktopShell& shell, int dpi)
    : QObject(parent), Controls(controls), Shell(shell), Dpi(dpi) {
  GeneralModel = new TSummaryTreeModel(this, TSummaryTreeModel::TPage::General, &GeneralImages);
  DetailModel = new TSummaryTreeModel(this, TSummaryTreeModel::TPage::Detail, nullptr);
  PopupMenu3 = new QMenu(Controls.GeneralTree);
  PopupMenu3->setObjectName(QStringLiteral("PopupMenu3"));
  OpenFile1 =
      PopupMenu3->addAction(QStringLiteral("Open File"), this, [this] { OpenSelectedFile(); });
  OpenFileLocation1 = PopupMenu3->addAction(QStringLiteral("Open Folder Location"), this,
                                            [this] { OpenSelectedFileLocation(); });
  OpenFile1->setEnabled(false);
  OpenFileLocation1->setEnabled(false);
  PrepareTree(Controls.GeneralTree, GeneralModel, 0);
  PrepareTree(Controls.DetailTree, DetailModel, 1);
  Controls.DetailTree->setItemDelegate(new TShareBarDelegate(Controls.DetailTree));
}

TSummaryViewController::~TSummaryViewController() {
  StopWorker();
}

void TSummaryViewController::PrepareTree(QTreeView* tree, TSummaryTreeModel* model,
                                         int sortColumn) {
  tree->setModel(model);
  tree->header()->moveSection(FileListDiskColumn, 2);  // beside Size
  tree->setUniformRowHeights(true);
  tree->setSelectionBehavior(QAbstractItemView::SelectRows);
  tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tree->setContextMenuPolicy(Qt::CustomContextMenu);
  QHeaderView* header = tree->header();
  header->setSectionsMovable(true);
  header->setSortIndicatorShown(true);
  header->setSortIndicator(sortColumn, Qt::DescendingOrder);
  header->setSectionsClickable(false);  // these pages are never re-sorted by the user
  header->setStretchLastSection(false);
  FitColumns(tree, *model);
  connect(tree, &QWidget::customContextMenuRequested, this,
          [this, tree](const QPoint& at) { PopupMenu3->popup(tree->viewport()->mapToGlobal(at)); });
  connect(tree, &QAbstractItemView::doubleClicked, this, [this] { OpenSelectedFile(); });
  tree->installEventFilter(this);  // Return opens the file, as a double-click does
  connect(tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this, model](const QModelIndex& current) { FocusChanged(model, current); });
}

// Name takes what the other columns leave. Size, On Disk and Last Access Time are as wide as their
// widest texts in this font and locale (or their headers), so they are never cut; Location starts
// as wide as a path of some 36 letters. The user may widen any column but Name.
void TSummaryViewController::FitColumns(QTreeView* tree, const TSummaryTreeModel& model) {
  QHeaderView* header = tree->header();
  const QFontMetrics metrics(tree->font());
  const int padding = 2 * metrics.averageCharWidth() +
                      2 * tree->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, tree);
  const auto fit = [&](int column, const QStringList& samples) {
    int width = header->sectionSizeHint(column);
    for (const QString& text : samples) width = std::max(width, metrics.horizontalAdvance(text));
    header->resizeSection(column, width + padding);
  };
  const QString decimal = model.Locale.decimalPoint();
  const QString widest =
      QString::fromStdString(FormatSize(99999ULL << 30, 1, decimal.toStdString())).trimmed();
  fit(1, {widest});
  fit(FileListDiskColumn, {widest});
  // Late in the year, with two-digit days and hours, before and after noon.
  QStringList dates;
  for (const int hour : {10, 22}) {
    const QDateTime at(QDate(2028, 12, 28), QTime(hour, 58, 58), model.Zone);
    dates.push_back(LastAccessText(FileTimeOf(at), model.Locale, model.Zone));
  }
  fit(2, dates);
  header->resizeSection(3, std::max(header->sectionSizeHint(3), 36 * metrics.averageCharWidth()));
  header->setMinimumSectionSize(8 * metrics.averageCharWidth());
  header->setSectionResizeMode(0, QHeaderView::Stretch);
}

bool TSummaryViewController::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress &&
      (watched == Controls.GeneralTree || watched == Controls.DetailTree)) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !SelectedFile.empty()) {
      OpenSelectedFile();
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}

void TSummaryViewController::FocusChanged(const TSummaryTreeModel* model,
                                          const QModelIndex& current) {
  if (!current.isValid()) return;
  SelectedFile = model->FilePath(model->NodeOf(current), Separator());
  OpenFile1->setEnabled(!SelectedFile.empty() && Shell.PathsAreLocal());
  OpenFileLocation1->setEnabled(!SelectedFile.empty() && Shell.PathsAreLocal());
}

void TSummaryViewController::OpenSelectedFile() {
  if (!SelectedFile.empty()) Shell.OpenPath(SelectedFile);
}

void TSummaryViewController::OpenSelectedFileLocation() {
  if (!SelectedFile.empty()) Shell.ShowItemInFolder(SelectedFile);
}

void TSummaryViewController::ClearGeneral() {
  GeneralModel->Detach();
  GeneralModel->SetFileSource(nullptr, nullptr);
  GeneralNodes.Clear();
  GeneralDiskNodes.Clear();
  GeneralFiles.clear();
  GeneralDiskFiles.clear();
  Records = nullptr;
  Folders = nullptr;
  GeneralImages.clear();
}

// Read from the end of the ascending list: largest first without any sort. The first file's
// icon stands in for any later file that has none.
TNodeId TSummaryViewController::BuildSection(TSummaryTree& page, const TBiggestFileList& biggest,
                                             std::unordered_map<TNodeId, TFileId>& files) {
  const TNodeId section = Vellumetric::BuildBiggestFilesSection(
      page, biggest, NativePathStyle(),
      [this](const std::string& path) { return AddGeneralIcon(path); }, -1);
  files.clear();
  std::size_t i = biggest.Count();
  for (TNodeId n = page.FirstChild(section); n != NoNode && i > 0; n = page.NextSibling(n)) {
    files[n] = biggest[--i].File;
  }
  return section;
}

void TSummaryViewController::BuildBiggestFilesSection(const TBiggestFileList& biggest,
                                                      const TBiggestFileList* onDisk,
                                                      const TFileRecordStore* records,
                                                      const TFolderTree* folders) {
  GeneralModel->Detach();
  Records = records;
  Folders = folders;
  const TNodeId section = BuildSection(GeneralNodes, biggest, GeneralFiles);
  const TNodeId diskSection =
      onDisk ? BuildSection(GeneralDiskNodes, *onDisk, GeneralDiskFiles) : NoNode;
  // The section's image comes after the files' so image 0 stays the first file's icon.
  GeneralImages.push_back(TIconSet::Icon(QStringLiteral("drive"), 16));
  const auto sectionImage = static_cast<std::int32_t>(GeneralImages.size() - 1);
  GeneralNodes.SetImageIndex(section, sectionImage);
  if (diskSection != NoNode) GeneralDiskNodes.SetImageIndex(diskSection, sectionImage);
  ShowGeneral();
}

// The section of the measure, where the scan gave one.
void TSummaryViewController::ShowGeneral() {
  const bool onDisk = Measure == TMeasure::Disk && GeneralDiskNodes.Count() > 0;
  GeneralModel->Detach();
  GeneralModel->SetFileSource(Records, Folders, onDisk ? GeneralDiskFiles : GeneralFiles);
  GeneralModel->Attach(onDisk ? &GeneralDiskNodes : &GeneralNodes);
  const QModelIndex section = GeneralModel->index(0, 0, {});
  if (section.isValid()) Controls.GeneralTree->expand(section);
}

void TSummaryViewController::SetMeasure(TMeasure measure) {
  if (measure == Measure) return;
  Measure = measure;
  GeneralModel->SetMeasure(measure);
  DetailModel->SetMeasure(measure);
  if (GeneralModel->AttachedTree() && !Loading) ShowGeneral();
  // A summary still being made, or a sort still running, is sorted by the new measure when it
  // ends.
  if (DetailModel->AttachedTree() && DetailSortedBy != DetailMeasure()) {
    Busy->store(true);
    Controls.TitleBar->SetTitle(QStringLiteral("Summary (Please wait...)"), false);
    DetailModel->Detach();
    SortDetail();
  }
}

// A page read from a summary file knows no disk sizes: it stays ordered by size.
TMeasure TSummaryViewController::DetailMeasure() const {
  return DetailNodes.KnowsDiskSizes() ? Measure : TMeasure::Size;
}

void TSummaryViewController::SortDetail() {
  if (Sorter.joinable()) Sorter.join();
  DetailSortedBy = DetailMeasure();
  Sorter = std::thread([this, measure = DetailSortedBy] {
    SortDetailTree(DetailNodes, measure);
    QCoreApplication::postEvent(this, new QEvent(SortDoneEvent));
  });
}

void TSummaryViewController::ClearDetail() {
  StopWorker();
  DetailModel->Detach();
  DetailModel->SetFileSource(nullptr, nullptr);
  DetailNodes.Clear();
  DetailNodes.SetFileSource(nullptr, nullptr);
}

void TSummaryViewController::StartSummary(TTypedFileList& files, const TFileRecordStore& records,
                                          const TFolderTree& folders,
                                          const TFileExtDescList& groups,
                                          const std::string& sourcePath, std::atomic<bool>& busy,
                                          QObject* notify) {
  StopWorker();
  DetailModel->Detach();
  DetailModel->SetFileSource(&records, &folders);
  DetailNodes.Clear();
  Controls.ProgressBar->setRange(0, static_cast<int>(files.Count()));
  ResetProgress();
  Controls.ProgressLabel->setText(QStringLiteral("0 of %1").arg(files.Count()));
  Loading = false;
  Bridge = std::make_unique<TQtThreadBridge>();
  Worker = std::make_unique<TVLMSummaryThread>(*Bridge, NativePathStyle());
  Worker->FileTotal = static_cast<std::int32_t>(files.Count());
  Worker->SourcePath = sourcePath;
  Worker->DetailTree = &DetailNodes;
  Worker->TypedFiles = &files;
  Worker->FileRecords = &records;
  Worker->FolderTree = &folders;
  Worker->Groups = &groups;
  StartWorker(busy, notify);
}

void TSummaryViewController::StartLoad(const std::string& path, std::atomic<bool>& busy,
                                       QObject* notify) {
  StopWorker();
  ClearGeneral();
  DetailModel->Detach();
  DetailModel->SetFileSource(nullptr, nullptr);
  DetailNodes.SetFileSource(nullptr, nullptr);  // a page read from a file names no records
  DetailNodes.Clear();
  ResetProgress();
  Controls.ProgressLabel->clear();  // the file's entry count comes with its first line
  Loading = true;
  Bridge = std::make_unique<TQtThreadBridge>();
  Worker = std::make_unique<TVLMSummaryThread>(*Bridge, NativePathStyle());
  Worker->LoadMode = true;
  Worker->SourcePath = path;
  Worker->OtherTree = &GeneralNodes;
  Worker->DetailTree = &DetailNodes;
  StartWorker(busy, notify);
}

void TSummaryViewController::StartWorker(std::atomic<bool>& busy, QObject* notify) {
  Worker->ProgressBar = this;
  Worker->Busy = &busy;
  Busy = &busy;
  Worker->NotifyWindow = HandleOf(notify);
  busy.store(true);  // up before the worker starts, so Back and closing wait for it
  Worker->Resume();
}

void TSummaryViewController::StopWorker() {
  if (Sorter.joinable()) Sorter.join();  // a sort always ends on its own, and soon
  if (!Worker) return;
  Worker->Terminate();
  Bridge->WaitForEndMessage();
  Worker.reset();
  Bridge.reset();
}

void TSummaryViewController::CancelSummary() {
  if (Worker) Worker->Terminate();
}

void TSummaryViewController::SummaryFinished(bool fromScan, const std::string& firstRoot) {
  // Only the end of the worker now running counts: a late message of one that was stopped and
  // replaced must not end its successor.
  if (!Worker || !Bridge->EndMessagePosted()) return;
  StopWorker();
  FromScan = fromScan;
  FirstRoot = firstRoot;
  Busy->store(true);
  SortDetail();
}

bool TSummaryViewController::event(QEvent* event) {
  if (event->type() != SortDoneEvent) return QObject::event(event);
  ShowSortedDetail();
  return true;
}

void TSummaryViewController::ShowSortedDetail() {
  if (Sorter.joinable()) Sorter.join();
  // The measure changed while it sorted.
  if (DetailSortedBy != DetailMeasure()) return SortDetail();
  Controls.DetailTree->header()->setSortIndicator(
      DetailSortedBy == TMeasure::Disk ? FileListDiskColumn : 1, Qt::DescendingOrder);
  if (Loading) {
    GeneralModel->Attach(&GeneralNodes);
    const QModelIndex section = GeneralModel->index(0, 0, {});
    if (section.isValid()) Controls.GeneralTree->expand(section);
  }
  DetailModel->Attach(&DetailNodes);
  Controls.ProgressBar->hide();
  Controls.ProgressLabel->hide();
  Controls.TitleBar->SetTitle(QStringLiteral("Summary"), FromScan);
  if (FromScan) Controls.RootCaption->setText(QString::fromStdString(FirstRoot));
  const QModelIndex first = DetailModel->index(0, 0, {});
  if (first.isValid()) Controls.DetailTree->setCurrentIndex(first);
  Controls.ProgressStrip->hide();
  Busy->store(false);
}

void TSummaryViewController::EnableTrees(bool enabled) {
  Controls.GeneralTree->setEnabled(enabled);
  Controls.DetailTree->setEnabled(enabled);
}

// A tick comes every 200 files, thousands of times a second, and drawing each one kept the
// window busy repainting for nothing the eye can follow: the bar and its label show the count at
// most every kProgressRedrawMs, and once it reaches the end.
void TSummaryViewController::ProgressTick() {
  QProgressBar* bar = Controls.ProgressBar;
  TickedTo = std::min(TickedTo + 200, bar->maximum());
  if (TickShown.isValid() && TickShown.elapsed() < kProgressRedrawMs && TickedTo < bar->maximum()) {
    return;
  }
  TickShown.start();
  bar->setValue(TickedTo);
  Controls.ProgressLabel->setText(QStringLiteral("%1 of %2").arg(TickedTo).arg(bar->maximum()));
}

void TSummaryViewController::ResetProgress() {
  TickedTo = 0;
  TickShown.invalidate();
  Controls.ProgressBar->setValue(0);
}

void TSummaryViewController::SetLoadTotal(std::int32_t total) {
  Controls.ProgressBar->setRange(0, total);
  ResetProgress();
  Controls.ProgressLabel->setText(QStringLiteral("0 of %1").arg(total));
}

void TSummaryViewController::SetTitleText(const std::string& text) {
  Controls.RootCaption->setText(QString::fromStdString(text));
}

std::int32_t TSummaryViewController::ResetGeneralImages() {
  GeneralImages.clear();
  GeneralImages.push_back(TIconSet::Icon(QStringLiteral("drive"), 16));
  return 0;
}

std::int32_t TSummaryViewController::AddGeneralIcon(const std::string& path) {
  const QIcon icon = Shell.FileIcon(path);
  if (icon.isNull()) return -1;
  GeneralImages.push_back(icon);
  return static_cast<std::int32_t>(GeneralImages.size() - 1);
}

void TSummaryViewController::ExpandGeneralSection(TNodeId) {}

}  // namespace Vellumetric
