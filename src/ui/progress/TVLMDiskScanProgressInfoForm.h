#pragma once

#include <QProgressBar>
#include <QPushButton>
#include <QWidget>
#include <QtGui/QtEvents>

namespace Vellumetric {

// The strip at the bottom of the scan view: the scan's progress bar and "Cancel", which greys
// out at once and asks the progress window to stop the scan.
class TVLMDiskScanProgressInfoForm final : public QWidget {
 public:
  TVLMDiskScanProgressInfoForm(QWidget* parent, QObject* progressWindow, int dpi);
  ~TVLMDiskScanProgressInfoForm() override;

  void Button1Click();

  QPushButton* Button1 = nullptr;
  QProgressBar* ProgressBar1 = nullptr;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  QObject* ProgressWindow;
  int Margin;
};

}  // namespace Vellumetric
