#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QWidget>
#include <QtGui/QtEvents>
#include <functional>
#include <string>
#include <vector>

#include "system/TDiskInfo.h"
#include "system/TDriveInfo.h"

namespace Vellumetric {

// The drive tiles: every fixed drive with its icon, name, file system, a usage bar and
// "N GB free of M GB", painted into an off-screen image. A click posts WM_DRIVE_SELECTED and a
// double-click WM_DRIVE_OPEN to the notify window, with the drive's index; from the keyboard, Up
// and Down (Home, End) select a tile and Return opens it. The selected tile is what a screen
// reader reads as the list's description.
class TVLMDriveListForm final : public QWidget {
 public:
  // Reads a drive's free space and file system at each paint.
  using TVolumeQuery = std::function<TVolumeFacts(const std::string& root)>;

  TVLMDriveListForm(
      QWidget* parent, TDiskList& disks, QObject* notify, int dpi,
      TVolumeQuery query = [](const std::string& root) { return QueryVolumeFacts(root); });
  ~TVLMDriveListForm() override;

  void Setup();
  void Paint();
  // The first drive whose band holds y, or -1.
  [[nodiscard]] int HitTest(int y) const;

  int SelectedIndex = 0;
  int HotIndex = -1;
  [[nodiscard]] int PaintCount() const noexcept { return Paints; }
  [[nodiscard]] const QImage& Image() const noexcept { return OffScreen; }
  [[nodiscard]] static int LiveCount() noexcept;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void PaintTile(QPainter& p, std::size_t i, int y);
  void PaintHighlight(QPainter& p, int index, QColor fill, QColor outline);
  void Select(int index);

  TDiskList& Disks;
  QObject* Notify;
  TVolumeQuery Query;
  int Panel1Height;
  int Panel2Height;
  int IconSize;
  QFont SmallFont;
  QFont BoldFont;
  QImage OffScreen;
  QImage DriveIcon;
  std::vector<QString> TileTexts;  // what each tile says, for a screen reader
  bool PaintedOnce = false;
  int Paints = 0;
};

}  // namespace Vellumetric
