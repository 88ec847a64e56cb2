// Help (also F1 inside a modal dialog), Upgrade, the About window's memory line and its list of
// third-party software.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/utsname.h>
#endif

#include <QDesktopServices>
#include <QFile>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTest>
#include <QUrl>

#include "TScriptedPrompts.h"
#include "TTempDir.h"
#include "UiTestSupport.h"
#include "ui/dialogs/TThirdPartyForm.h"
#include "ui/dialogs/TVLMAboutForm.h"
#include "ui/dialogs/options/TVLMOptionsForm.h"
#include "ui/windows/TAnalyzerCommands.h"
#include "ui/windows/TMainForm.h"

namespace Vellumetric {
namespace {

using namespace Testing;

TEST(Help, EveryPageLinkedFromWelcomeExists) {
  const QString folder = HelpFolder();
  QFile welcome(folder + QStringLiteral("/Welcome.htm"));
  ASSERT_TRUE(welcome.open(QIODevice::ReadOnly)) << folder.toStdString();
  const QString html = QString::fromUtf8(welcome.readAll());
  int pages = 0;
  for (const auto& m :
       QRegularExpression(QStringLiteral("href=\"([^\"]+\\.htm)\"")).globalMatch(html)) {
    EXPECT_TRUE(QFile::exists(folder + "/" + m.captured(1))) << m.captured(1).toStdString();
    ++pages;
  }
  EXPECT_GE(pages, 7);
}

// F1 inside a modal dialog opens the help window as that dialog's own window (so the dialog
// does not block it), and the key still reaches the dialog.
TEST(Help, F1FromTheMainWindowAndFromInsideAModalDialog) {
  TMainForm form(96, FakeServices());  // compact toolbar: no Help button shown
  form.FormShow();
  form.show();
  TAnalyzerCommands& c = *form.Analyzer->Commands;
  TScriptedPrompts script;
  c.Prompts = script.Prompts();
  const TTempDir data;
  c.Folders.DatabasePath = [&data] { return data / "f.sqlite"; };

  QTest::keyClick(form.Analyzer->ToolBar1, Qt::Key_F1);
  ASSERT_NE(c.Help.Window(), nullptr);
  EXPECT_TRUE(c.Help.Window()->isVisible());
  EXPECT_TRUE(
      c.Help.Window()->Browser->source().toString().endsWith(QStringLiteral("/Welcome.htm")));
  EXPECT_NE(c.Help.Window()->Browser->toPlainText().indexOf(QStringLiteral("Welcome to Quendrix")),
            -1);
  c.Help.Window()->close();

  bool sawHelp = false;
  WhenModal([&](QWidget* dialog) {
    auto* options = dynamic_cast<TVLMOptionsForm*>(dialog);
    ASSERT_NE(options, nullptr);
    EXPECT_EQ(options->ListView1->topLevelItemCount(), 11);  // the lists were loaded first
    QTest::keyClick(options->ListView1, Qt::Key_F1);
    TVLMHelpForm* help = c.Help.Window();
    sawHelp = help && help->isVisible() && help->parentWidget() == options;
    options->close();
  });
  form.Analyzer->ToolButton7->click();
  EXPECT_TRUE(sawHelp);
  EXPECT_EQ(form.Analyzer->Groups.size(), 11u);
}

class TUrlRecorder final : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> Urls;
 public slots:
  void Open(const QUrl& url) { Urls.push_back(url); }
};

TEST(Help, UpgradeOpensTheMakersPageAndAboutNamesTheSystem) {
  TUrlRecorder browser;
  QDesktopServices::setUrlHandler(QStringLiteral("https"), &browser, "Open");
  TMainForm form(120, FakeServices());
  form.FormShow();
  form.Analyzer->ToolButton5->click();
  QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
  EXPECT_EQ(browser.Urls, QList<QUrl>{QUrl(QString::fromLatin1(UpgradeWebAddress))});

#ifdef _WIN32
  const QString system = QStringLiteral("Windows");
#else
  struct utsname u {};
  ASSERT_EQ(::uname(&u), 0);
  const QString system = QString::fromLatin1(u.sysname);
#endif
  TVLMAboutForm about(nullptr, QStringLiteral("Quendrix Vellumetric"), TWindowsInfo{});
  EXPECT_TRUE(about.TotalRAMLabel->text().contains(
      QRegularExpression(QStringLiteral("^Physical memory available to ") +
                         QRegularExpression::escape(system) + QStringLiteral(": [1-9][0-9]* MB$"))))
      << about.TotalRAMLabel->text().toStdString();
}

// The About link lists what the packaging's index names and shows each notice; a notice that
// cannot be read says so instead of showing nothing, and a malformed line is no entry.
TEST(Help, AboutListsTheThirdPartyNotices) {
  const TTempDir notices;
  QFile qt(QString::fromStdString(notices / "Qt.txt"));
  ASSERT_TRUE(qt.open(QIODevice::WriteOnly));
  qt.write("GNU LESSER GENERAL PUBLIC LICENSE\nVersion 3, 29 June 2007\n");
  qt.close();
  QFile index(QString::fromStdString(notices / "index.tsv"));
  ASSERT_TRUE(index.open(QIODevice::WriteOnly));
  index.write(
      "Qt\t6.4.2\tLGPL-3.0-only\tthe window's toolkit\tQt.txt\n"
      "a line without its fields\n"
      "SQLite\t3.40.1\tpublic domain\tthe database\tmissing/SQLite.txt\n");
  index.close();
  TVLMAboutForm about(nullptr, QStringLiteral("Quendrix Vellumetric"), TWindowsInfo{});
  about.Notices = QString::fromStdString(notices.Path());
  QStringList rows;
  QString firstText, secondText;
  WhenModal([&](QWidget* w) {
    auto* list = static_cast<TThirdPartyForm*>(w);
    for (int i = 0; i < list->List->topLevelItemCount(); ++i) {
      const QTreeWidgetItem* item = list->List->topLevelItem(i);
      rows << item->text(0) + "|" + item->text(1) + "|" + item->text(2);
    }
    firstText = list->Text->toPlainText();
    list->List->setCurrentItem(list->List->topLevelItem(1));
    secondText = list->Text->toPlainText();
    list->CloseButton->click();
  });
  emit about.ThirdPartyLink->linkActivated(QStringLiteral("third-party"));
  EXPECT_EQ(rows, (QStringList{"Qt|6.4.2|LGPL-3.0-only", "SQLite|3.40.1|public domain"}));
  EXPECT_TRUE(firstText.startsWith(QStringLiteral("GNU LESSER GENERAL PUBLIC LICENSE")));
  EXPECT_TRUE(secondText.startsWith(QStringLiteral("SQLite: the database\n\nThe notice ")))
      << secondText.toStdString();
  EXPECT_TRUE(secondText.contains(QStringLiteral("could not be read")));
}

}  // namespace
}  // namespace Vellumetric

#include "HelpTest.moc"
