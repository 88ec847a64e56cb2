#pragma once

#include <QPainter>
#include <QWidget>
#include <QtGui/QtEvents>

#include "system/TDiskInfo.h"
#include "ui/common/TVLMTitleBarForm.h"
#include "ui/start/TVLMDriveListForm.h"

namespace Vellumetric {

// The start view's white panel: the title bar "Hard Disk Drives" over the drive tiles.
class TVLMQuickInfoForm final : public QWidget {
 public:
  TVLMQuickInfoForm(QWidget* parent, TDiskList& disks, QObject* notify, int dpi,
                    TVLMDriveListForm::TVolumeQuery query = nullptr);
  ~TVLMQuickInfoForm() override;

  // Creates the title bar and the drive list once, and shows them.
  void ShowDriveList();

  TVLMTitleBarForm* TitleBar = nullptr;
  TVLMDriveListForm* DriveList = nullptr;
  [[nodiscard]] static int LiveCount() noexcept;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  TDiskList& Disks;
  QObject* Notify;
  int Dpi;
  TVLMDriveListForm::TVolumeQuery Query;
};

}  // namespace Vellumetric
