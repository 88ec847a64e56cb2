#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>

#include "system/TWindowsInfo.h"
#include "ui/dialogs/TThirdPartyForm.h"

namespace Vellumetric {

// The modal about window: the program's picture, name and version, the operating system and
// the physical memory, and the link to the third-party software built into the programs.
class TVLMAboutForm final : public QDialog {
 public:
  TVLMAboutForm(QWidget* owner, const QString& ownerCaption, const TWindowsInfo& system);

  QLabel* VersionLabel = nullptr;
  QLabel* WinVerLabel = nullptr;
  QLabel* TotalRAMLabel = nullptr;
  QLabel* ThirdPartyLink = nullptr;
  QPushButton* CloseButton = nullptr;
  // Where the third-party notices are; the installed folder unless a test says otherwise.
  QString Notices = NoticesFolder();

  void ShowThirdParty();
};

}  // namespace Vellumetric
