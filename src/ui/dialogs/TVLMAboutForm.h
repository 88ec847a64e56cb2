#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>

#include "system/TWindowsInfo.h"

namespace Vellumetric {

// The modal about window: the program's picture, name and version, the operating system and
// the physical memory.
class TVLMAboutForm final : public QDialog {
 public:
  TVLMAboutForm(QWidget* owner, const QString& ownerCaption, const TWindowsInfo& system);

  QLabel* VersionLabel = nullptr;
  QLabel* WinVerLabel = nullptr;
  QLabel* TotalRAMLabel = nullptr;
  QPushButton* CloseButton = nullptr;
};

}  // namespace Vellumetric
