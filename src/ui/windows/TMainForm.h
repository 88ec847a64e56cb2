#pragma once

#include <QMainWindow>
#include <QPainter>
#include <QTimer>
#include <QtGui/QtEvents>
#include <optional>

#include "ui/windows/TVLMAnalyzerForm.h"

namespace Vellumetric {

class TWindowMemory;

// The frame of the program: hosts the analyzer window, sets up the data folders when first shown,
// and closes only once no worker runs.
class TMainForm final : public QMainWindow {
 public:
  // `dpi`: the screen resolution to lay out for; the screen's own when not given.
  explicit TMainForm(std::optional<int> dpi = std::nullopt, TAnalyzerServices services = {});
  ~TMainForm() override;

  [[nodiscard]] int Dpi() const noexcept { return ScreenDpi; }

  TVLMAnalyzerForm* Analyzer = nullptr;
  QTimer* AppCloseTimer = nullptr;
  TWindowMemory* Memory = nullptr;  // size, place, splitter, columns and page, between runs

  // The first-show steps; run by showEvent, public so tests can drive them without a screen.
  void FormShow();
  void AppCloseTimerTimer();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  bool FormCloseQuery();

  int ScreenDpi;  // the screen's resolution: decides the toolbar
  int LayoutDpi;  // what window geometry is scaled by, Qt's own pixel ratio taken out
  TAnalyzerServices Services;
  bool Shown = false;
};

}  // namespace Vellumetric
