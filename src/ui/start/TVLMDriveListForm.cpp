#include "ui/start/TVLMDriveListForm.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "model/VLMMessages.h"
#include "ui/common/SchemeColours.h"
#include "ui/common/TVLMMessageEvent.h"
#include "ui/common/UiMetrics.h"
#include "ui/services/TIconSet.h"

namespace Vellumetric {
namespace {

int gLiveDriveLists = 0;
constexpr int kWidth = 555;

QColor Argb(unsigned alpha, unsigned rgb) {
  return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF, static_cast<int>(alpha));
}

}  // namespace

TVLMDriveListForm::TVLMDriveListForm(QWidget* parent, TDiskList& disks, QObject* notify, int dpi,
                                     TVolumeQuery query)
    : QWidget(parent),
      Disks(disks),
      Notify(notify),
      Query(std::move(query)),
      Panel1Height(Scaled(26, dpi)),
      Panel2Height(Scaled(48, dpi)),
      IconSize(48 * dpi / 96),
      SmallFont(TahomaFont(8)),
      BoldFont(TahomaFont(9, true)) {
  ++gLiveDriveLists;
  setObjectName(QStringLiteral("TVLMDriveListForm"));
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  DriveIcon = TIconSet::Pixmap(QStringLiteral("drive"), IconSize).toImage();
}

TVLMDriveListForm::~TVLMDriveListForm() {
  --gLiveDriveLists;
}

int TVLMDriveListForm::LiveCount() noexcept {
  return gLiveDriveLists;
}

void TVLMDriveListForm::Setup() {
  setFixedSize(kWidth, static_cast<int>(Disks.size()) * (Panel1Height + Panel2Height));
  OffScreen = QImage(qMax(1, width()), qMax(1, height()), QImage::Format_ARGB32_Premultiplied);
}

void TVLMDriveListForm::Paint() {
  ++Paints;
  const TSchemeColours colours = TSchemeColours::For(palette());
  OffScreen.fill(colours.Panel);
  TileTexts.assign(Disks.size(), QString());
  QPainter p(&OffScreen);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  int y = 10;
  for (std::size_t i = 0; i < Disks.size(); ++i) {
    PaintTile(p, i, y);
    // Laid once per tile, so the translucent highlights build up as often as there are drives.
    PaintHighlight(p, SelectedIndex, Argb(0x0A, 0xFFC90E), Argb(0xFF, 0xAA8400));
    if (HotIndex != -1) PaintHighlight(p, HotIndex, Argb(0x19, 0x62C2E8), Argb(0x32, 0x2FB0E1));
    y += 51;
  }
  if (hasFocus() && SelectedIndex >= 0 && static_cast<std::size_t>(SelectedIndex) < Disks.size()) {
    const TDiskInfo& s = Disks[static_cast<std::size_t>(SelectedIndex)];
    p.setPen(QPen(colours.PanelText, 1, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(13.5, s.Top + 2.5, width() - 18, s.Bottom - s.Top - 5));
  }
  p.end();
  if (SelectedIndex >= 0 && static_cast<std::size_t>(SelectedIndex) < TileTexts.size()) {
    setAccessibleDescription(TileTexts[static_cast<std::size_t>(SelectedIndex)] +
                             QStringLiteral(". Up and Down choose a drive, Return scans it."));
  }
  PaintedOnce = true;
  update();
}

void TVLMDriveListForm::PaintTile(QPainter& p, std::size_t i, int y) {
  TDiskInfo& disk = Disks[i];
  // The icon is drawn at its own size up to 48 x 48, larger ones are fitted into 48 x 48.
  const QRectF iconRect(20, y, qMin(48, DriveIcon.width()), qMin(48, DriveIcon.height()));
  p.drawImage(iconRect, DriveIcon);
  disk.Top = y;
  const QString name = QString::fromStdString(disk.Name);
  const QFontMetricsF small(SmallFont);
  const int h1 = static_cast<int>(small.boundingRect(name).height());
  p.setPen(TSchemeColours::For(palette()).PanelText);
  p.setFont(BoldFont);
  p.drawText(QRectF(80, y + 10, 10000, 1000), Qt::AlignLeft | Qt::AlignTop, name);
  const TVolumeFacts facts = Query(disk.RootPath);
  p.setFont(SmallFont);
  p.drawText(QRectF(80, y + h1 + 12, 10000, 1000), Qt::AlignLeft | Qt::AlignTop,
             QString::fromStdString(facts.FileSystem));
  const QString freeText = QStringLiteral("%1 GB free of %2 GB")
                               .arg(facts.UserFreeBytes >> 30)
                               .arg(facts.TotalBytes >> 30);
  TileTexts[i] = name + QStringLiteral(", ") + QString::fromStdString(facts.FileSystem) +
                 QStringLiteral(", ") + freeText;
  const QRectF freeBox = small.boundingRect(freeText);
  p.drawText(QRectF(540 - freeBox.width(), y + h1 + 12, freeBox.width() + 1, 1000),
             Qt::AlignLeft | Qt::AlignTop, freeText);
  disk.Bottom = static_cast<int>(y + h1 + freeBox.height() + Panel1Height);

  // The usage bar; a capacity of 0 (a failed query) leaves it empty.
  const std::uint64_t capacity = facts.TotalBytes;
  const std::uint64_t avail = facts.UserFreeBytes < capacity ? facts.UserFreeBytes : capacity;
  const int used = capacity == 0 ? 0 : static_cast<int>(300 - (avail * 300 / capacity));
  const double half = static_cast<int>(height()) / 2;
  QLinearGradient gradient(QPointF(0, half), QPointF(550, half));
  gradient.setColorAt(0, Argb(0xFF, 0x65E61D));
  gradient.setColorAt(1, Argb(0xFF, 0xFFA018));
  gradient.setSpread(QGradient::RepeatSpread);
  p.fillRect(QRectF(240, y + 10, used, h1), gradient);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(Argb(0xFF, 0xB2B2B2), 1));
  p.drawRect(QRectF(240, y + 10, 300, h1));
  p.setPen(QPen(Argb(0xFF, 0xC8C8C8), 1));
  p.drawRect(QRectF(241, y + 11, 298, h1 - 2));
  p.fillRect(QRectF(240, y + 10 + h1 / 2, 300, h1 / 2), Argb(0x32, 0x000000));
}

void TVLMDriveListForm::PaintHighlight(QPainter& p, int index, QColor fill, QColor outline) {
  if (index < 0 || static_cast<std::size_t>(index) >= Disks.size()) return;
  const TDiskInfo& s = Disks[static_cast<std::size_t>(index)];
  const int w = width();
  p.fillRect(QRectF(10, s.Top, w - 10, s.Bottom - s.Top), fill);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(outline, 1));
  p.drawRect(QRectF(11, s.Top, w - 13, s.Bottom - s.Top));
}

int TVLMDriveListForm::HitTest(int y) const {
  for (std::size_t i = 0; i < Disks.size(); ++i) {
    if (Disks[i].Top <= y && y <= Disks[i].Bottom) return static_cast<int>(i);
  }
  return -1;
}

void TVLMDriveListForm::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (PaintedOnce) {
    p.drawImage(0, 0, OffScreen);
  } else {
    p.fillRect(rect(), TSchemeColours::For(palette()).Panel);
  }
}

// Repaints only when the tile under the mouse changes.
void TVLMDriveListForm::mouseMoveEvent(QMouseEvent* event) {
  const int hit = HitTest(static_cast<int>(event->position().y()));
  if (hit != -1 && hit != HotIndex) {
    HotIndex = hit;
    Paint();
  } else if (hit == -1 && HotIndex != -1) {
    HotIndex = -1;
    Paint();
  }
}

void TVLMDriveListForm::leaveEvent(QEvent*) {
  if (HotIndex != -1) {
    HotIndex = -1;
    Paint();
  }
}

void TVLMDriveListForm::mouseReleaseEvent(QMouseEvent* event) {
  const int hit = HitTest(static_cast<int>(event->position().y()));
  if (hit == -1) return;
  SelectedIndex = hit;
  Paint();
  PostVLMMessage(Notify, WM_DRIVE_SELECTED, static_cast<std::uintptr_t>(hit));
}

void TVLMDriveListForm::mouseDoubleClickEvent(QMouseEvent*) {
  if (HotIndex >= 0) PostVLMMessage(Notify, WM_DRIVE_OPEN, static_cast<std::uintptr_t>(HotIndex));
}

// A tile chosen from the keyboard is selected as a click selects it.
void TVLMDriveListForm::Select(int index) {
  if (Disks.empty()) return;
  index = std::clamp(index, 0, static_cast<int>(Disks.size()) - 1);
  if (index == SelectedIndex) return;
  SelectedIndex = index;
  Paint();
  PostVLMMessage(Notify, WM_DRIVE_SELECTED, static_cast<std::uintptr_t>(index));
}

void TVLMDriveListForm::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Up:
      Select(SelectedIndex - 1);
      break;
    case Qt::Key_Down:
      Select(SelectedIndex + 1);
      break;
    case Qt::Key_Home:
      Select(0);
      break;
    case Qt::Key_End:
      Select(static_cast<int>(Disks.size()) - 1);
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (SelectedIndex >= 0 && static_cast<std::size_t>(SelectedIndex) < Disks.size()) {
        PostVLMMessage(Notify, WM_DRIVE_OPEN, static_cast<std::uintptr_t>(SelectedIndex));
      }
      break;
    default:
      QWidget::keyPressEvent(event);
  }
}

// The selected tile shows a focus frame while the tiles have the focus.
void TVLMDriveListForm::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  Paint();
}

void TVLMDriveListForm::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  Paint();
}

}  // namespace Vellumetric
