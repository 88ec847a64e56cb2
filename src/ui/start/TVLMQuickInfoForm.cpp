#include "ui/start/TVLMQuickInfoForm.h"

#include <QPalette>
#include <QResizeEvent>

#include "ui/common/SchemeColours.h"

namespace Vellumetric {
namespace {
int gLiveQuickInfo = 0;
}

TVLMQuickInfoForm::TVLMQuickInfoForm(QWidget* parent, TDiskList& disks, QObject* notify, int dpi,
                                     TVLMDriveListForm::TVolumeQuery query)
    : QWidget(parent), Disks(disks), Notify(notify), Dpi(dpi), Query(std::move(query)) {
  ++gLiveQuickInfo;
  setObjectName(QStringLiteral("TVLMQuickInfoForm"));
  setAutoFillBackground(true);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, TSchemeColours::For(palette).Panel);
  setPalette(palette);
}

TVLMQuickInfoForm::~TVLMQuickInfoForm() {
  --gLiveQuickInfo;
}

int TVLMQuickInfoForm::LiveCount() noexcept {
  return gLiveQuickInfo;
}

void TVLMQuickInfoForm::ShowDriveList() {
  if (!TitleBar) {
    TitleBar = new TVLMTitleBarForm(this, nullptr, Dpi);
    TitleBar->setGeometry(0, 0, width(), TitleBar->height());
    TitleBar->SetTitle(QStringLiteral("Hard Disk Drives"), false);
    TitleBar->show();
  }
  if (!DriveList) {
    DriveList = Query ? new TVLMDriveListForm(this, Disks, Notify, Dpi, Query)
                      : new TVLMDriveListForm(this, Disks, Notify, Dpi);
    DriveList->move(0, TitleBar->y() + TitleBar->height());
    DriveList->Setup();
    DriveList->Paint();
    DriveList->show();
  }
}

void TVLMQuickInfoForm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (TitleBar) TitleBar->setGeometry(0, 0, width(), TitleBar->height());
}

}  // namespace Vellumetric
