#include "ui/results/map/TTreemapView.h"

#include <QContextMenuEvent>
#include <QFileDialog>
#include <QHelpEvent>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <cmath>

#include "system/Formatting.h"
#include "ui/models/DiskNoteText.h"
#include "ui/paint/TreemapLegend.h"

namespace Vellumetric {
namespace {

QString SizeText(std::uint64_t bytes) {
  const std::string text = FormatSize(bytes, 2, QLocale::system().decimalPoint().toStdString());
  return QString::fromStdString(text).trimmed() + QStringLiteral(" (") +
         QLocale::system().toString(static_cast<qulonglong>(bytes)) + QStringLiteral(" bytes)");
}

}  // namespace

TTreemapView::TTreemapView(QWidget* parent) : QWidget(parent) {
  setMinimumSize(120, 80);
  setAttribute(Qt::WA_OpaquePaintEvent);
  // A path under the pointer helps even while another window has the focus.
  setAttribute(Qt::WA_AlwaysShowToolTips);
  Describe();
}

TTreemapView::~TTreemapView() {
  WaitForWorker();
}

void TTreemapView::SetScan(const TFolderTree* tree, const TFileRecordStore* files, TNodeId root,
                           const TFileExtDescList& groups, TPathStyle style) {
  WaitForWorker();
  Tree = tree;
  Files = files;
  Root = root;
  Style = style;
  Groups = groups;
  TileColours = TTreemapColours(groups);
  ExtensionsPicked = false;
  ++ScanGeneration;
  Outlined = NoNode;
  Marked.clear();
  Shown.reset();
  updateGeometry();
  RequestRender();
}

void TTreemapView::ClearScan() {
  WaitForWorker();
  Tree = nullptr;
  Files = nullptr;
  Root = NoNode;
  Outlined = NoNode;
  Marked.clear();
  TileColours = TTreemapColours(Groups);
  ExtensionsPicked = false;
  ++ScanGeneration;
  Shown.reset();
  Dirty = false;
  Paused = false;
  ++Generation;
  Describe();
  update();
}

void TTreemapView::SetOutlinedFolder(TNodeId folder) {
  if (folder == Outlined) return;
  Outlined = folder;
  Describe();
  update();
}

void TTreemapView::SetMarkedFolders(std::vector<TNodeId> folders) {
  Marked = std::move(folders);
  update();
}

void TTreemapView::SetMeasure(TMeasure measure) {
  if (measure == ByMeasure) return;
  ByMeasure = measure;
  Describe();
  // A render running now is for the old measure: its picture is dropped when it ends, and the
  // next one starts then (never waited for here).
  if (Tree != nullptr) RequestRender();
}

void TTreemapView::PauseRendering() {
  // A worker cut short here has its result dropped (its generation no longer matches).
  if (Worker.joinable()) Dirty = true;
  WaitForWorker();
  Paused = true;
}

void TTreemapView::ResumeRendering() {
  Paused = false;
  if (Dirty) RequestRender();
}

// The strip below the map holds the legend; the map takes the rest.
QRect TTreemapView::MapRect() const {
  return QRect(0, 0, width(), std::max(0, height() - LegendHeight()));
}

int TTreemapView::LegendHeight() const {
  return TreemapLegendHeight(fontMetrics(), TileColours, width());
}

void TTreemapView::RequestRender() {
  ++Generation;
  if (Tree == nullptr || Files == nullptr) {
    Shown.reset();
    update();
    return;
  }
  // Started again when the running one reports, on resuming, or when the map is shown: a map
  // behind another tab costs neither time nor memory until the user opens it, and a size it had
  // only while hidden is never laid out.
  if (Worker.joinable() || Paused || !isVisible()) {
    Dirty = true;
    return;
  }
  StartWorker();
}

void TTreemapView::StartWorker() {
  Dirty = false;
  if (!ExtensionsPicked) {
    StartPicking();
    return;
  }
  auto result = std::make_shared<TResult>();
  result->Generation = Generation;
  WorkerGeneration = Generation;
  result->Colours = TileColours;
  result->MapSize = MapRect().size();
  CutShort = false;
  Worker = std::thread([this, result, dpr = devicePixelRatioF(), tree = Tree, files = Files,
                        root = Root, measure = ByMeasure] {
    const QSize pixels(static_cast<int>(std::lround(result->MapSize.width() * dpr)),
                       static_cast<int>(std::lround(result->MapSize.height() * dpr)));
    TTreemapOptions options;
    options.Measure = measure;
    options.Stop = &CutShort;
    result->Layout.Build(*tree, *files, root,
                         {0, 0, double(pixels.width()), double(pixels.height())}, options);
    // Whoever cut it short is waiting to join: nothing is delivered.
    if (result->Layout.Stopped() || CutShort.load()) return;
    result->Picture = RenderTreemap(result->Layout, result->Colours, pixels);
    result->Picture.Image.setDevicePixelRatio(dpr);
    // Delivered on the interface thread; dropped by Qt if this view is gone by then.
    QMetaObject::invokeMethod(
        this, [this, result] { Accept(result); }, Qt::QueuedConnection);
  });
}

// The extension colours come first, from one pass over every file record, once per scan. The map
// is sized after them, on the interface thread (fonts are measured only there): their legend may
// need another line, and a map laid out for the old strip would only be laid out again.
void TTreemapView::StartPicking() {
  auto result = std::make_shared<TResult>();
  result->Generation = Generation;
  result->Scan = ScanGeneration;
  WorkerGeneration = Generation;
  Worker = std::thread([this, result, files = Files, style = Style, groups = Groups,
                        decimalPoint = QLocale::system().decimalPoint()] {
    result->Colours = TTreemapColours(groups, TExtensionColours(*files, style), decimalPoint);
    QMetaObject::invokeMethod(
        this, [this, result] { AcceptColours(result); }, Qt::QueuedConnection);
  });
}

void TTreemapView::AcceptColours(std::shared_ptr<TResult> result) {
  if (result->Generation != WorkerGeneration) return;  // from a worker already joined
  WaitForWorker();
  // Still this scan's colours after a resize or a re-sort; the map itself is laid out next.
  if (result->Scan == ScanGeneration) {
    TileColours = result->Colours;
    ExtensionsPicked = true;
    update();  // the legend names them now
    Dirty = true;
  }
  if (Dirty && !Paused && isVisible()) StartWorker();
}

void TTreemapView::Accept(std::shared_ptr<TResult> result) {
  if (result->Generation != WorkerGeneration) return;  // from a worker already joined
  WaitForWorker();
  if (result->Generation == Generation) {
    // Resized while the worker ran: shown scaled until the one for the new size is ready.
    if (result->MapSize != MapRect().size()) Dirty = true;
    Shown = std::move(result);
    update();
  }
  if (Dirty && !Paused && isVisible()) StartWorker();
}

// A layout still running is no longer wanted by whoever waits: it is cut short, so a re-sort of
// the tree or a new scan does not wait for a map of millions of files to be laid out.
void TTreemapView::WaitForWorker() {
  if (Worker.joinable()) {
    CutShort = true;
    Worker.join();
  }
  WorkerGeneration = 0;
}

// The map's value for a screen reader: what it shows, and the folder its frame marks.
void TTreemapView::Describe() {
  const bool disk = ByMeasure == TMeasure::Disk;
  QString text = disk ? QStringLiteral(
                            "Every file as a tile sized by what it takes on disk, "
                            "coloured by its type")
                      : QStringLiteral(
                            "Every file as a tile sized by its bytes, coloured by its "
                            "type");
  if (Tree != nullptr && Outlined != NoNode) {
    const TFolderData& data = Tree->Data(Outlined);
    text += QStringLiteral(". Outlined: ") + QString::fromStdString(data.Path.Str()) +
            QStringLiteral(", ") + SizeText(data.Bytes(ByMeasure));
    if (disk) text += QStringLiteral(" on disk");
  }
  setAccessibleDescription(text);
}

const TTreemapTile* TTreemapView::TileAt(QPoint pos) const {
  const QRect map = MapRect();
  if (!Shown || !map.contains(pos) || Shown->Picture.Image.isNull()) return nullptr;
  // The picture may still be the one made for the previous size: scale into it.
  const QImage& image = Shown->Picture.Image;
  const int x = static_cast<int>((pos.x() - map.x()) * std::int64_t{image.width()} / map.width());
  const int y = static_cast<int>((pos.y() - map.y()) * std::int64_t{image.height()} / map.height());
  const std::uint32_t index = TileIndexAt(Shown->Layout, image.size(), x, y);
  return index == NoTile ? nullptr : &Shown->Layout.Tiles()[index];
}

std::string TTreemapView::FilePath(TFileId file) const {
  const TFileRecord& r = Files->Record(file);
  const TPathText& folder = Tree->Data(r.Folder).Path;
  return folder.Str() + std::string(ChildSeparator(Style, folder.Back())) +
         std::string(Files->Name(file));
}

QString TTreemapView::TileText(const TTreemapTile& tile) const {
  if (tile.Kind() == TTreemapTileKind::File) {
    const TFileRecord r = Files->Record(tile.Id());
    QString text = QString::fromStdString(FilePath(tile.Id())) + QLatin1Char('\n') +
                   SizeText(r.Size) + QLatin1Char('\n') + SizeText(r.DiskSize) +
                   QStringLiteral(" on disk");
    const QString note =
        DiskNoteText(*Files, *Tree, Style, tile.Id(), QLocale::system().decimalPoint());
    if (!note.isEmpty()) text += QLatin1Char('\n') + note;
    return text;
  }
  // A block's bytes are kept by the layout it came from: the one shown, and by its measure.
  const std::uint64_t bytes = Shown ? Shown->Layout.TileBytes(tile) : 0;
  const bool disk = Shown && Shown->Layout.Measure() == TMeasure::Disk;
  return QString::fromStdString(Tree->Data(tile.Id()).Path.Str()) + QLatin1Char('\n') +
         QStringLiteral("Small files together: ") + SizeText(bytes) +
         (disk ? QStringLiteral(" on disk") : QString());
}

bool TTreemapView::event(QEvent* e) {
  if (e->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(e);
    if (const TTreemapTile* tile = TileAt(help->pos())) {
      QToolTip::showText(help->globalPos(), TileText(*tile), this);
    } else {
      QToolTip::hideText();
      e->ignore();
    }
    return true;
  }
  return QWidget::event(e);
}

void TTreemapView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect map = MapRect();
  painter.fillRect(rect(), palette().window());
  if (Shown && !Shown->Picture.Image.isNull()) {
    painter.drawImage(map, Shown->Picture.Image);
    PaintFrames(painter, map);
  }
  PaintTreemapLegend(painter, QRect(0, map.bottom() + 1, width(), height() - map.height()),
                     TileColours, palette().color(QPalette::WindowText));
}

// Black inside white, so a frame shows on every tile colour: solid around the current folder,
// dashed around the folders of the matches.
void TTreemapView::PaintFrames(QPainter& painter, const QRect& map) const {
  const QImage& image = Shown->Picture.Image;
  const double sx = map.width() / static_cast<double>(image.width());
  const double sy = map.height() / static_cast<double>(image.height());
  const auto frameOf = [&](TNodeId folder, QRectF& frame) {
    TTreemapRect r;
    if (!Shown->Layout.FolderRect(folder, r)) return false;
    frame = QRectF(map.x() + r.X0 * sx, map.y() + r.Y0 * sy, r.Width() * sx, r.Height() * sy)
                .adjusted(1, 1, -1, -1);
    return true;
  };
  QRectF frame;
  QPen dashes(Qt::black, 1, Qt::DashLine);
  for (const TNodeId folder : Marked) {
    if (folder == Outlined || !frameOf(folder, frame)) continue;
    painter.setPen(QPen(Qt::white, 1));
    painter.drawRect(frame);
    painter.setPen(dashes);
    painter.drawRect(frame);
  }
  if (Outlined != NoNode && frameOf(Outlined, frame)) {
    painter.setPen(QPen(Qt::white, 3));
    painter.drawRect(frame);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(frame);
  }
}

void TTreemapView::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  if (Dirty && !Paused && !Worker.joinable()) StartWorker();
}

void TTreemapView::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  if (Tree != nullptr) RequestRender();
}

void TTreemapView::mousePressEvent(QMouseEvent* e) {
  const TTreemapTile* tile = e->button() == Qt::LeftButton ? TileAt(e->pos()) : nullptr;
  if (tile == nullptr) return QWidget::mousePressEvent(e);
  const TNodeId folder =
      tile->Kind() == TTreemapTileKind::File ? Files->Record(tile->Id()).Folder : tile->Id();
  SetOutlinedFolder(folder);
  if (OnFolderClicked) OnFolderClicked(folder);
}

void TTreemapView::mouseDoubleClickEvent(QMouseEvent* e) {
  const TTreemapTile* tile = e->button() == Qt::LeftButton ? TileAt(e->pos()) : nullptr;
  if (tile == nullptr || tile->Kind() != TTreemapTileKind::File) {
    return QWidget::mouseDoubleClickEvent(e);
  }
  if (OnOpenFileLocation) OnOpenFileLocation(FilePath(tile->Id()));
}

void TTreemapView::contextMenuEvent(QContextMenuEvent* e) {
  QMenu menu(this);
  QAction* save = menu.addAction(QStringLiteral("Save Map as Image..."));
  save->setEnabled(Shown != nullptr && !Shown->Picture.Image.isNull());
  if (menu.exec(e->globalPos()) == save) SaveWithDialog();
}

QImage TTreemapView::Snapshot() const {
  if (!Shown || Shown->Picture.Image.isNull()) return {};
  const QImage& map = Shown->Picture.Image;
  const qreal dpr = map.devicePixelRatio();
  const int mapWidth = static_cast<int>(std::lround(map.width() / dpr));
  const int mapHeight = static_cast<int>(std::lround(map.height() / dpr));
  QImage out(map.width(), static_cast<int>(std::lround((mapHeight + LegendHeight()) * dpr)),
             QImage::Format_RGB32);
  out.setDevicePixelRatio(dpr);
  out.fill(palette().color(QPalette::Window));
  QPainter painter(&out);
  painter.setFont(font());
  painter.drawImage(QPoint(0, 0), map);
  PaintTreemapLegend(painter, QRect(0, mapHeight, mapWidth, LegendHeight()), TileColours,
                     palette().color(QPalette::WindowText));
  return out;
}

bool TTreemapView::SaveImage(const QString& fileName) const {
  const QImage image = Snapshot();
  return !image.isNull() && image.save(fileName, "PNG");
}

void TTreemapView::SaveWithDialog() {
  QString name =
      QFileDialog::getSaveFileName(this, QStringLiteral("Save Map as Image"),
                                   QStringLiteral("map.png"), QStringLiteral("PNG image (*.png)"));
  if (name.isEmpty()) return;
  if (!name.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) name += QStringLiteral(".png");
  if (!SaveImage(name)) {
    QMessageBox::warning(this, QStringLiteral("Save Map as Image"),
                         QStringLiteral("The map could not be saved as %1.").arg(name));
  }
}

}  // namespace Vellumetric
