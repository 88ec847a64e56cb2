#include "ui/common/TVLMTitleBarForm.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QResizeEvent>
#include <cmath>

#include "model/VLMMessages.h"
#include "ui/common/SchemeColours.h"
#include "ui/common/TVLMMessageEvent.h"
#include "ui/common/UiMetrics.h"

namespace Vellumetric {
namespace {

int gLiveTitleBars = 0;

// Layout metrics of the form at its design resolution of 120 pixels per inch.
constexpr int kButtonTop = 4;
constexpr int kDummyPanelHeight = 14;
constexpr int kDummyLabelLeft = 10;
constexpr int kButtonWidth = 120;

}  // namespace

TVLMTitleBarForm::TVLMTitleBarForm(QWidget* parent, QObject* owner, int dpi)
    : QWidget(parent),
      Owner(owner),
      MeasureFont(TahomaFont(8)),
      TitleFont(TahomaFont(9, true)),
      ButtonTop(Scaled(kButtonTop, dpi)),
      DummyLabelLeft(Scaled(kDummyLabelLeft, dpi)) {
  ++gLiveTitleBars;
  setObjectName(QStringLiteral("TVLMTitleBarForm"));
  setAttribute(Qt::WA_OpaquePaintEvent);
  Button1 = new QPushButton(QStringLiteral("Save Summary"), this);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setFocusPolicy(Qt::NoFocus);
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  // The bar is as high as the measured word "Test" plus the margins around the button.
  const double textHeight =
      QFontMetricsF(MeasureFont).boundingRect(QStringLiteral("Test")).height();
  const int height =
      static_cast<int>(std::lround(Scaled(kDummyPanelHeight, dpi) + textHeight + 2 * ButtonTop));
  setFixedHeight(height);
  Button1->setGeometry(0, ButtonTop, Scaled(kButtonWidth, dpi), height - 2 * ButtonTop);
  Button1->hide();
  Buffer = QImage(qMax(1, width()), height, QImage::Format_ARGB32_Premultiplied);
}

TVLMTitleBarForm::~TVLMTitleBarForm() {
  --gLiveTitleBars;
}

int TVLMTitleBarForm::LiveCount() noexcept {
  return gLiveTitleBars;
}

void TVLMTitleBarForm::SetTitle(const QString& title, bool showButton) {
  TitleText = title;
  ButtonFlag = showButton;
  Button1->setVisible(showButton);
  Buffer = QImage(qMax(1, width()), qMax(1, height()), QImage::Format_ARGB32_Premultiplied);
  Draw();
  ReadyFlag = true;
  update();
}

void TVLMTitleBarForm::Draw() {
  const int w = Buffer.width();
  const int h = height();
  QPainter p(&Buffer);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  p.fillRect(Buffer.rect(), TSchemeColours::For(palette()).Panel);
  p.fillRect(QRectF(0, 0, w - 1, h), QColor(100, 100, 100));
  p.setPen(QPen(QColor(178, 178, 178), 1));
  p.drawRect(QRectF(0, 0, w - 1, h));
  p.setPen(QPen(QColor(200, 200, 200), 1));
  p.drawRect(QRectF(1, 1, w - 3, h - 2));
  p.setPen(Qt::white);
  p.setFont(TitleFont);
  p.drawText(QRectF(10, 10, 100000, h), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
             TitleText);
}

void TVLMTitleBarForm::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (ReadyFlag) {
    p.drawImage(0, 0, Buffer);
  } else {
    p.fillRect(rect(), TSchemeColours::For(palette()).Panel);
  }
}

// The back buffer follows the size; the stored title and button flag are drawn again.
void TVLMTitleBarForm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Button1->move(width() - Button1->width() - DummyLabelLeft, ButtonTop);
  if (!ReadyFlag) return;
  Buffer = QImage(qMax(1, width()), qMax(1, height()), QImage::Format_ARGB32_Premultiplied);
  Draw();
  update();
}

void TVLMTitleBarForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  Button1->move(width() - Button1->width() - DummyLabelLeft, ButtonTop);
}

void TVLMTitleBarForm::Button1Click() {
  PostVLMMessage(Owner, WM_SHOW_SAVE_SUMMARY);
}

}  // namespace Vellumetric
