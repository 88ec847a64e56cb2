#include "ui/dialogs/TVLMHelpForm.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QUrl>
#include <QVBoxLayout>

#include "ui/common/UiMetrics.h"
#include "ui/services/TIconSet.h"

namespace Vellumetric {

TVLMHelpForm::TVLMHelpForm(QWidget* parent, const QString& helpFolder)
    : QWidget(parent, Qt::Window), Folder(helpFolder) {
  setObjectName(QStringLiteral("TVLMHelpForm"));
  setWindowTitle(QStringLiteral("Quendrix Vellumetric Help"));
  setWindowIcon(TIconSet::Icon(QStringLiteral("help"), 32));
  Browser = new QTextBrowser(this);
  Browser->setObjectName(QStringLiteral("Browser"));
  Browser->setOpenExternalLinks(true);  // web addresses go to the default browser
  Browser->setSearchPaths({Folder});
  BackButton = new QToolButton(this);
  BackButton->setText(QStringLiteral("Back"));
  BackButton->setIcon(TIconSet::Icon(QStringLiteral("back"), 16));
  BackButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  BackButton->setEnabled(false);
  HomeButton = new QToolButton(this);
  HomeButton->setText(QStringLiteral("Contents"));
  HomeButton->setIcon(TIconSet::Icon(QStringLiteral("help"), 16));
  HomeButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  connect(BackButton, &QToolButton::clicked, Browser, &QTextBrowser::backward);
  connect(HomeButton, &QToolButton::clicked, this, [this] { ShowWelcome(); });
  connect(Browser, &QTextBrowser::backwardAvailable, BackButton, &QToolButton::setEnabled);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(BackButton);
  buttons->addWidget(HomeButton);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(buttons);
  layout->addWidget(Browser, 1);
  resize(760, 620);
  ShowWelcome();
}

void TVLMHelpForm::ShowWelcome() {
  const QString welcome = QDir(Folder).filePath(QStringLiteral("Welcome.htm"));
  if (QFileInfo::exists(welcome)) {
    Browser->setSource(QUrl::fromLocalFile(welcome));
  } else {
    Browser->setHtml(
        QStringLiteral("<p>The help pages were not found in %1.</p>").arg(Folder.toHtmlEscaped()));
  }
}

void TVLMHelpForm::ShowPage(const QString& page) {
  const QString path = QDir(Folder).filePath(page);
  if (!QFileInfo::exists(path)) {
    ShowWelcome();
  } else if (Browser->source() != QUrl::fromLocalFile(path)) {
    Browser->setSource(QUrl::fromLocalFile(path));
  }
}

QString HelpFolder() {
  const QString installed = QDir(QCoreApplication::applicationDirPath())
                                .filePath(QStringLiteral("../share/quendrix-vellumetric/help"));
  if (QFileInfo::exists(QDir(installed).filePath(QStringLiteral("Welcome.htm")))) {
    return QDir::cleanPath(installed);
  }
  return QStringLiteral(VLM_SOURCE_HELP_DIR);
}

namespace {

// The "helpPage" property of `object` or of the nearest of its parents that has one.
QString HelpPageOf(const QObject* object) {
  for (; object; object = object->parent()) {
    const QString page = object->property("helpPage").toString();
    if (!page.isEmpty()) return page;
  }
  return {};
}

}  // namespace

THelpService::THelpService(QString folder) : Folder(std::move(folder)) {}

THelpService::~THelpService() {
  if (HelpWindow && !HelpWindow->parentWidget()) delete HelpWindow.data();
}

void THelpService::ShowHelp(const QString& page) {
  QWidget* modal = QApplication::activeModalWidget();
  if (modal == HelpWindow.data()) modal = nullptr;
  if (!HelpWindow) {
    HelpWindow = new TVLMHelpForm(modal, Folder);
  } else if (HelpWindow->parentWidget() != modal) {
    const bool wasShown = HelpWindow->isVisible();
    HelpWindow->setParent(modal, Qt::Window);
    if (!wasShown) HelpWindow->ShowWelcome();
  } else if (!HelpWindow->isVisible()) {
    HelpWindow->ShowWelcome();
  }
  if (!page.isEmpty()) HelpWindow->ShowPage(page);
  HelpWindow->show();
  HelpWindow->raise();
  HelpWindow->activateWindow();
}

void THelpService::InstallF1Key() {
  qApp->installEventFilter(this);
}

// A key press may pass the filter once per widget it is offered to on its way up; showing the
// help window again is harmless. The press is never consumed.
bool THelpService::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_F1 && !key->isAutoRepeat() && watched->isWidgetType()) {
      // The press is offered to each parent in turn: the page follows the focus first, so
      // every offer opens the same page.
      QString page = HelpPageOf(QApplication::focusWidget());
      if (page.isEmpty()) page = HelpPageOf(watched);
      ShowHelp(page);
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace Vellumetric
