#include "ui/progress/TVLMDiskScanProgressInfoForm.h"

#include <QApplication>

#include "model/VLMMessages.h"
#include "ui/common/SchemeColours.h"
#include "ui/common/TVLMMessageEvent.h"
#include "ui/common/UiMetrics.h"

namespace Vellumetric {

TVLMDiskScanProgressInfoForm::TVLMDiskScanProgressInfoForm(QWidget* parent, QObject* progressWindow,
                                                           int dpi)
    : QWidget(parent), ProgressWindow(progressWindow), Margin(Scaled(8, dpi, 96)) {
  setObjectName(QStringLiteral("VLMDiskScanProgressInfoForm"));
  setAutoFillBackground(true);
  QPalette strip = palette();
  // The scheme's own window colour, not the scan view's panel colour this strip sits on.
  strip.setColor(QPalette::Window, TSchemeColours::For(QApplication::palette(this)).Strip);
  setPalette(strip);
  Button1 = new QPushButton(QStringLiteral("Cancel"), this);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setFixedSize(Scaled(75, dpi, 96), Scaled(25, dpi, 96));
  Button1->move(0, Margin);
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  ProgressBar1 = new QProgressBar(this);
  ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
  ProgressBar1->setTextVisible(false);
  ProgressBar1->setFixedHeight(Scaled(17, dpi, 96));
  ProgressBar1->move(Margin, Margin + (Button1->height() - ProgressBar1->height()) / 2);
  setFixedHeight(2 * Button1->y() + Button1->height());
}

TVLMDiskScanProgressInfoForm::~TVLMDiskScanProgressInfoForm() = default;

// Greyed at once so a second request cannot follow; the progress window stops the scan when it
// handles the message.
void TVLMDiskScanProgressInfoForm::Button1Click() {
  Button1->setEnabled(false);
  PostVLMMessage(ProgressWindow, WM_SCAN_CANCEL_REQUEST);
}

// The button keeps to the right edge, the bar stretches up to it.
void TVLMDiskScanProgressInfoForm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Button1->move(width() - Button1->width() - ProgressBar1->x(), Button1->y());
  ProgressBar1->setFixedWidth(std::max(0, Button1->x() - 2 * ProgressBar1->x()));
}

}  // namespace Vellumetric
