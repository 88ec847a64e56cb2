#include "ui/progress/TVLMDiskScanProgressAnimationForm.h"

#include <QPainter>

#include "ui/common/SchemeColours.h"
#include "ui/common/UiMetrics.h"
#include "ui/paint/ScanSweepPainter.h"

namespace Vellumetric {

TVLMDiskScanProgressAnimationForm::TVLMDiskScanProgressAnimationForm(QWidget* parent, int dpi)
    : QWidget(parent),
      ClientWidth(Scaled(360, dpi, 96)),
      ClientHeight(Scaled(266, dpi, 96)),
      Buffer(static_cast<int>(ClientWidth), static_cast<int>(ClientHeight),
             QImage::Format_ARGB32_Premultiplied) {
  setObjectName(QStringLiteral("VLMDiskScanProgressAnimationForm"));
  setFixedSize(static_cast<int>(ClientWidth), static_cast<int>(ClientHeight));
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  Buffer.fill(TSchemeColours::For(palette()).Panel);
  Timer1 = new QTimer(this);
  Timer1->setInterval(600);
  connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
  Timer1->start();
}

TVLMDiskScanProgressAnimationForm::~TVLMDiskScanProgressAnimationForm() = default;

void TVLMDiskScanProgressAnimationForm::DrawFrame() {
  {
    QPainter painter(&Buffer);
    PaintScanSweep(painter, ClientWidth, ClientHeight, SweepAngle,
                   TSchemeColours::For(palette()).Panel);
  }
  FrameDrawn = true;
  update();
}

void TVLMDiskScanProgressAnimationForm::Timer1Timer() {
  SweepAngle = NextSweepAngle(SweepAngle);
  DrawFrame();
}

void TVLMDiskScanProgressAnimationForm::SetAngle(int angle) {
  SweepAngle = angle;
  DrawFrame();
}

void TVLMDiskScanProgressAnimationForm::paintEvent(QPaintEvent*) {
  if (!FrameDrawn) return;
  QPainter painter(this);
  painter.drawImage(0, 0, Buffer);
}

}  // namespace Vellumetric
