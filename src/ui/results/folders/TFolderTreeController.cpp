#include "ui/results/folders/TFolderTreeController.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>

#include "ui/common/UiMetrics.h"
#include "ui/results/TShareBarDelegate.h"

namespace Vellumetric {

TFolderTreeController::TFolderTreeController(QTreeView* tree, TDesktopShell& shell, int dpi)
    : QObject(tree), Tree(tree), Shell(shell) {
  Model = new TFolderTreeModel(this, QLocale::system().decimalPoint());
  Tree->setModel(Model);
  Tree->setItemDelegate(new TShareBarDelegate(Tree));
  Tree->setUniformRowHeights(true);
  Tree->setSelectionBehavior(QAbstractItemView::SelectRows);
  Tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
  QHeaderView* header = Tree->header();
  header->setSectionsMovable(true);
  header->setSortIndicatorShown(true);
  header->setSortIndicator(0, Qt::DescendingOrder);
  header->setSectionsClickable(true);
  header->setStretchLastSection(false);
  header->setMinimumSectionSize(Scaled(100, dpi, 96));
  header->resizeSection(0, Scaled(250, dpi, 96));
  header->resizeSection(1, Scaled(100, dpi, 96));
  header->resizeSection(2, Scaled(100, dpi, 96));
  // QHeaderView reports only left clicks as section clicks; the right button never sorts.
  connect(header, &QHeaderView::sectionClicked, this, [this] { HeaderClick(Qt::LeftButton); });
  connect(Tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) { NodeFocused(current); });
  connect(Tree, &QAbstractItemView::doubleClicked, this, [this] { OpenSelectedFolder(); });
  PopupMenu4 = new QMenu(Tree);
  PopupMenu4->setObjectName(QStringLiteral("PopupMenu4"));
  OpenFileLocation2 = PopupMenu4->addAction(QStringLiteral("Open Folder Location"), this,
                                            [this] { OpenSelectedFolderLocation(); });
  OpenFileLocation2->setEnabled(false);
  ScanAgainAction = PopupMenu4->addAction(QStringLiteral("Scan This Folder Again"), this,
                                          [this] { RequestRescan(false); });
  ScanAgainAction->setObjectName(QStringLiteral("ScanThisFolderAgain"));
  ScanAgainAction->setShortcut(QKeySequence(Qt::Key_F6));
  ScanAgainAction->setShortcutContext(Qt::WindowShortcut);
  ScanAgainAction->setEnabled(false);
  Tree->addAction(ScanAgainAction);  // F6 works without the menu open
  ScanNowAction =
      PopupMenu4->addAction(QStringLiteral("Scan Now"), this, [this] { RequestRescan(true); });
  ScanNowAction->setObjectName(QStringLiteral("ScanNow"));
  ScanNowAction->setVisible(false);
  Tree->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(Tree, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { PopupMenu4->popup(Tree->viewport()->mapToGlobal(at)); });
  Tree->installEventFilter(this);
}

// In the order the user chose last: largest first unless a header click turned it round.
void TFolderTreeController::Attach(TFolderTree* tree, bool sorted) {
  Model->Attach(tree);
  if (!sorted || Direction != Qt::DescendingOrder) Model->sort(0, Direction);
  Tree->header()->setSortIndicator(0, Direction);
  for (int row = 0; row < Model->rowCount({}); ++row) Tree->expand(Model->index(row, 0, {}));
}

void TFolderTreeController::Detach() {
  Model->Detach();
}

void TFolderTreeController::HeaderClick(Qt::MouseButton button) {
  if (button != Qt::LeftButton) return;
  Direction = Direction == Qt::DescendingOrder ? Qt::AscendingOrder : Qt::DescendingOrder;
  Model->sort(0, Direction);
  Tree->header()->setSortIndicator(0, Direction);
}

void TFolderTreeController::SetDirection(Qt::SortOrder order) {
  Direction = order;
  Model->sort(0, Direction);
  Tree->header()->setSortIndicator(0, Direction);
}

void TFolderTreeController::SetMeasure(TMeasure measure) {
  if (measure == Model->Measure()) return;
  Model->SetMeasure(measure);
  Model->sort(0, Direction);
  if (Tree->currentIndex().isValid()) Tree->scrollTo(Tree->currentIndex());
}

void TFolderTreeController::SelectFirstNode() {
  const QModelIndex first = Model->index(0, 0, {});
  if (!first.isValid()) return;
  Tree->setFocus();
  Tree->setCurrentIndex(first);
  NodeFocused(first);  // also when it was current already: the page must show it
}

void TFolderTreeController::RefreshFocusedNode() {
  NodeFocused(Tree->currentIndex());
}

void TFolderTreeController::NodeFocused(const QModelIndex& current) {
  TFolderTree* tree = Model->AttachedTree();
  if (!current.isValid() || !tree) return;
  const TNodeId node = Model->NodeOf(current);
  const TFolderData& data = tree->Data(node);
  if (FocusChanged) FocusChanged(node, data, tree->Parent(node) == NoNode);
  UpdateRescanActions();
  if (!data.Path.Empty()) {
    SelectedFolder = data.Path.Str();
    OpenFileLocation2->setEnabled(Shell.PathsAreLocal());
  } else {
    OpenFileLocation2->setEnabled(false);
  }
}

void TFolderTreeController::SetRescanAllowed(bool allowed) {
  RescanAllowed = allowed;
  UpdateRescanActions();
}

void TFolderTreeController::UpdateRescanActions() {
  TFolderTree* tree = Model->AttachedTree();
  const QModelIndex current = Tree->currentIndex();
  const bool node = tree && current.isValid();
  const bool excluded = node && tree->Data(Model->NodeOf(current)).Excluded;
  ScanAgainAction->setEnabled(RescanAllowed && node);
  ScanNowAction->setVisible(excluded);
  ScanNowAction->setEnabled(RescanAllowed && excluded);
}

void TFolderTreeController::RequestRescan(bool scanNow) {
  TFolderTree* tree = Model->AttachedTree();
  const QModelIndex current = Tree->currentIndex();
  if (!RescanAllowed || !tree || !current.isValid() || !RescanRequested) return;
  RescanRequested(Model->NodeOf(current), scanNow);
}

void TFolderTreeController::FitFirstColumn() {
  const QHeaderView* header = Tree->header();
  Tree->header()->resizeSection(
      0, std::max(0, Tree->width() - header->sectionSize(1) - header->sectionSize(2) - 20));
}

void TFolderTreeController::OpenSelectedFolder() {
  if (!SelectedFolder.empty()) Shell.OpenPath(SelectedFolder);
}

void TFolderTreeController::OpenSelectedFolderLocation() {
  if (!SelectedFolder.empty()) Shell.ShowItemInFolder(SelectedFolder);
}

// Return on a folder opens it, as a double-click does.
bool TFolderTreeController::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Tree && event->type() == QEvent::Resize) FitFirstColumn();
  if (watched == Tree && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && Tree->currentIndex().isValid()) {
      OpenSelectedFolder();
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace Vellumetric
