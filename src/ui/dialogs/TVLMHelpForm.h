#pragma once

#include <QPointer>
#include <QString>
#include <QTextBrowser>
#include <QToolButton>
#include <QWidget>

namespace Vellumetric {

// The program's help window: its own help pages in Qt's HTML browser, opened on Welcome.htm.
class TVLMHelpForm final : public QWidget {
 public:
  TVLMHelpForm(QWidget* parent, const QString& helpFolder);

  // Shows the welcome page again.
  void ShowWelcome();
  // Shows the page of that file name in the help folder (the welcome page when it is missing).
  void ShowPage(const QString& page);

  QTextBrowser* Browser = nullptr;
  QToolButton* BackButton = nullptr;
  QToolButton* HomeButton = nullptr;

 private:
  QString Folder;
};

// Where the help pages are: beside the installed program in ../share/quendrix-vellumetric/help,
// else the source tree's pages (a program run from its build folder).
[[nodiscard]] QString HelpFolder();

// Opens the one help window: from the Help button, and from F1 anywhere in the application.
// While a modal dialog is open the window is made that dialog's own window, so it takes input
// instead of being blocked by the dialog. F1 opens the page named by the "helpPage" property of
// the focused widget or the nearest of its parents that has one, else the welcome page.
class THelpService final : public QObject {
 public:
  explicit THelpService(QString folder = HelpFolder());
  ~THelpService() override;

  void ShowHelp(const QString& page = QString());
  // Watches every key press of the application for F1; the key still reaches its target.
  void InstallF1Key();

  [[nodiscard]] TVLMHelpForm* Window() const { return HelpWindow.data(); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QString Folder;
  QPointer<TVLMHelpForm> HelpWindow;
};

}  // namespace Vellumetric
