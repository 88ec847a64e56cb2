#pragma once

#include <QImage>
#include <QWidget>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "model/TFileExtDescData.h"
#include "model/TFileRecordStore.h"
#include "model/TFolderData.h"
#include "system/PathRules.h"
#include "treemap/TTreemapLayout.h"
#include "ui/paint/TTreemapColours.h"
#include "ui/paint/TreemapRendering.h"

namespace Vellumetric {

// The map of a finished scan: every file as a cushion-shaded tile coloured by its group (a file of
// no group by its extension, for the extensions with the most bytes), with a legend strip below.
// Layout and painting run on a worker thread and the picture replaces the old one when ready, so
// the window never waits; the first render of a scan also picks the extension colours, which go
// into the legend when it arrives. A resize asks for a new picture. Hover shows a
// tile's path, size and what it takes on disk; a click reports the tile's folder, a double-click
// a file's path; the context menu saves the picture as a PNG file.
class TTreemapView final : public QWidget {
 public:
  explicit TTreemapView(QWidget* parent = nullptr);
  ~TTreemapView() override;

  // Shows `root` of a finished scan. The tree and records must stay unchanged until ClearScan()
  // or the next SetScan(), which wait for a render still reading them.
  void SetScan(const TFolderTree* tree, const TFileRecordStore* files, TNodeId root,
               const TFileExtDescList& groups, TPathStyle style);
  void ClearScan();
  // Draws a frame around a folder's area (NoNode: none).
  void SetOutlinedFolder(TNodeId folder);
  // Draws a dashed frame around each of these folders' areas (the folders of Find's matches);
  // an empty list draws none.
  void SetMarkedFolders(std::vector<TNodeId> folders);
  // Tiles sized by the bytes files hold or by what they take on disk: laid out again on the
  // worker, the picture shown until the new one is ready.
  void SetMeasure(TMeasure measure);
  [[nodiscard]] TMeasure Measure() const noexcept { return ByMeasure; }
  [[nodiscard]] const std::vector<TNodeId>& MarkedFolders() const noexcept { return Marked; }
  // Around a reordering of the tree's sibling chains (a sort of the folder view): waits for a
  // render still reading them and starts none until ResumeRendering(), which renders again if
  // anything was cut short or asked for meanwhile. The layout does not depend on sibling order,
  // so the picture shown stays valid.
  void PauseRendering();
  void ResumeRendering();

  // A click on a tile: the folder holding the file, or the folder of a block.
  std::function<void(TNodeId)> OnFolderClicked;
  // A double-click on a file tile: the file's full path.
  std::function<void(const std::string&)> OnOpenFileLocation;

  // The map and its legend as one image; false when there is nothing to save or writing fails.
  [[nodiscard]] bool SaveImage(const QString& fileName) const;
  [[nodiscard]] QImage Snapshot() const;
  [[nodiscard]] bool RenderPending() const noexcept { return Worker.joinable() || Dirty; }

  // What the pointer at `pos` (widget coordinates) shows; for the tooltip and for tests.
  [[nodiscard]] const TTreemapTile* TileAt(QPoint pos) const;
  [[nodiscard]] QString TileText(const TTreemapTile& tile) const;
  [[nodiscard]] const TTreemapLayout* CurrentLayout() const {
    return Shown ? &Shown->Layout : nullptr;
  }
  [[nodiscard]] QRect MapRect() const;
  // The colours the legend names (the extension colours once they are picked).
  [[nodiscard]] const TTreemapColours& Colours() const noexcept { return TileColours; }

 protected:
  bool event(QEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void showEvent(QShowEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;

 private:
  struct TResult {
    TTreemapLayout Layout;
    TTreemapPicture Picture;
    std::uint64_t Generation = 0;
    std::uint64_t Scan = 0;   // the ScanGeneration its colours were picked for
    TTreemapColours Colours;  // what the picture was painted with
    QSize MapSize;            // in device-independent pixels, the legend's strip left out
  };

  void RequestRender();
  void StartWorker();
  void StartPicking();
  void AcceptColours(std::shared_ptr<TResult> result);
  void Accept(std::shared_ptr<TResult> result);
  void WaitForWorker();
  [[nodiscard]] int LegendHeight() const;
  [[nodiscard]] std::string FilePath(TFileId file) const;
  void SaveWithDialog();
  void PaintFrames(QPainter& painter, const QRect& map) const;
  void Describe();

  const TFolderTree* Tree = nullptr;
  const TFileRecordStore* Files = nullptr;
  TNodeId Root = NoNode;
  TPathStyle Style = TPathStyle::Posix;
  TFileExtDescList Groups;
  TTreemapColours TileColours;
  bool ExtensionsPicked = false;  // TileColours has this scan's extension colours
  TNodeId Outlined = NoNode;
  std::vector<TNodeId> Marked;
  TMeasure ByMeasure = TMeasure::Size;

  std::thread Worker;
  std::atomic<bool> CutShort{false};   // raised for a layout that is waited for: it ends early
  std::uint64_t Generation = 0;        // of the picture wanted now
  std::uint64_t ScanGeneration = 0;    // one more for each SetScan or ClearScan
  std::uint64_t WorkerGeneration = 0;  // of the one the running worker makes
  bool Dirty = false;                  // asked for while a worker was busy
  bool Paused = false;                 // between PauseRendering() and ResumeRendering()
  std::shared_ptr<TResult> Shown;
};

}  // namespace Vellumetric
