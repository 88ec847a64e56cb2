#pragma once

#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QString>
#include <QWidget>
#include <QtGui/QtEvents>

namespace Vellumetric {

// A strip docked at the top of a panel: a white title on a dark grey band, drawn into a back
// buffer, with an optional "Save Summary" button at its right end that posts
// WM_SHOW_SAVE_SUMMARY to the owner.
class TVLMTitleBarForm final : public QWidget {
 public:
  TVLMTitleBarForm(QWidget* parent, QObject* owner, int dpi);
  ~TVLMTitleBarForm() override;

  void SetTitle(const QString& title, bool showButton);
  [[nodiscard]] const QString& Title() const noexcept { return TitleText; }
  [[nodiscard]] bool Ready() const noexcept { return ReadyFlag; }
  [[nodiscard]] const QImage& BackBuffer() const noexcept { return Buffer; }

  QPushButton* Button1 = nullptr;

  // Live title bars, for the leak test of windows that are made and destroyed over and over.
  [[nodiscard]] static int LiveCount() noexcept;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void Draw();
  void Button1Click();

  QObject* Owner;
  QString TitleText;
  bool ButtonFlag = false;
  bool ReadyFlag = false;
  QFont MeasureFont;
  QFont TitleFont;
  QImage Buffer;
  int ButtonTop;
  int DummyLabelLeft;
};

}  // namespace Vellumetric
