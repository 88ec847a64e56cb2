#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <QtGui/QtEvents>

namespace Vellumetric {

// The turning sweep of the scan view. Each frame is drawn into one off-screen image made at
// creation and copied to the window whole, so the picture never flickers; the window never
// erases its own background.
class TVLMDiskScanProgressAnimationForm final : public QWidget {
 public:
  TVLMDiskScanProgressAnimationForm(QWidget* parent, int dpi);
  ~TVLMDiskScanProgressAnimationForm() override;

  void DrawFrame();
  void Timer1Timer();
  [[nodiscard]] int Angle() const noexcept { return SweepAngle; }
  [[nodiscard]] const QImage& Frame() const noexcept { return Buffer; }
  // Sets the hand (for pictures of a given moment) and draws that frame.
  void SetAngle(int angle);

  QTimer* Timer1 = nullptr;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  double ClientWidth;
  double ClientHeight;
  QImage Buffer;
  bool FrameDrawn = false;
  int SweepAngle = 0;
};

}  // namespace Vellumetric
