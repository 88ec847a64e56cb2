#include <gtest/gtest.h>

#include <QCoreApplication>

#include "UiTestSupport.h"
#include "model/VLMMessages.h"
#include "ui/common/TVLMTitleBarForm.h"
#include "ui/dialogs/TVLMAboutForm.h"
#include "ui/windows/TMainForm.h"

namespace Vellumetric {
namespace {

using namespace Testing;

TEST(TitleBar, ButtonTitleAndResize) {
  TMessageRecorder owner;
  TVLMTitleBarForm bar(nullptr, &owner, 120);
  bar.resize(400, bar.height());
  bar.show();
  QCoreApplication::processEvents();
  bar.SetTitle(QStringLiteral("Summary"), true);
  EXPECT_FALSE(bar.Button1->isHidden());
  EXPECT_EQ(QColor(bar.BackBuffer().pixel(5, bar.height() / 2)), QColor(100, 100, 100));
  bar.Button1->click();
  DeliverPosted();
  EXPECT_EQ(owner.Messages,
            (std::vector<std::pair<int, std::uintptr_t>>{{WM_SHOW_SAVE_SUMMARY, 0}}));

  bar.SetTitle(QStringLiteral("Summary (Please wait...)"), false);
  EXPECT_TRUE(bar.Button1->isHidden());
  bar.resize(700, bar.height());
  QCoreApplication::processEvents();
  EXPECT_EQ(bar.BackBuffer().width(), 700);
  EXPECT_EQ(bar.Title(), QStringLiteral("Summary (Please wait...)"));
  EXPECT_EQ(QColor(bar.BackBuffer().pixel(650, bar.height() / 2)), QColor(100, 100, 100));
}

TEST(MainForm, ToolbarIsCompactAtOrBelow100Dpi) {
  for (const auto& [dpi, compact] :
       {std::pair{96, true}, std::pair{100, true}, std::pair{120, false}}) {
    TMainForm form(dpi, FakeServices());
    form.FormShow();
    TVLMAnalyzerForm& a = *form.Analyzer;
    EXPECT_EQ(a.IsButtonShown(a.ToolButton4), !compact) << dpi;
    EXPECT_EQ(a.IsButtonShown(a.ToolButton5), !compact) << dpi;
    EXPECT_EQ(a.IsButtonShown(a.ToolButton9), !compact) << dpi;
    EXPECT_EQ(a.ToolButton8->isVisible(), !compact) << dpi;
    EXPECT_EQ(a.ToolBar1->iconSize().width(), compact ? 24 : 48) << dpi;
    EXPECT_EQ(form.width(), dpi == 120 ? 1255 : (1255 * dpi + 60) / 120);
  }
}

TEST(MainForm, StartViewShowsTheDrivesAndTheFirstDrivesPage) {
  TMainForm form(120, FakeServices());
  form.FormShow();
  TVLMAnalyzerForm& a = *form.Analyzer;
  EXPECT_FALSE(a.IsButtonShown(a.ToolButton6));  // Back
  for (auto* b : {a.ToolButton1, a.ToolButton2, a.ToolButton7, a.ToolButton10}) {
    EXPECT_TRUE(a.IsButtonShown(b)) << b->objectName().toStdString();
  }
  EXPECT_EQ(a.ToolButton1->text(), QStringLiteral("  Scan Drive  "));
  EXPECT_EQ(a.ToolButton10->text(), QStringLiteral("  Open Saved Summary  "));
  EXPECT_TRUE(a.Panel4->isHidden());
  EXPECT_EQ(a.CurrentPath, "/");
  ASSERT_EQ(a.ListView1->topLevelItemCount(), 32);
  EXPECT_EQ(a.ListView1->Cell(6, 1), Localized(QStringLiteral("50 GB (50.00%)")));
  ASSERT_NE(a.PopupMenu1, nullptr);  // three drives: the Scan Drive button has its menu
  EXPECT_EQ(a.PopupMenu1->actions().size(), 3);
  EXPECT_EQ(a.PopupMenu2->actions().last()->text(), QStringLiteral("Browse..."));
  EXPECT_EQ(a.SummaryTitleBar->Title(), QStringLiteral("Summary"));

  // A tile click shows that drive's page and makes its root the current path.
  PostVLMMessage(&a, WM_DRIVE_SELECTED, 1);
  DeliverPosted();
  EXPECT_EQ(a.CurrentPath, "/data");
  EXPECT_EQ(a.ListView1->Cell(1, 1), QStringLiteral("/data"));
  EXPECT_EQ(a.ListView1->Cell(6, 1), Localized(QStringLiteral("0 GB (0.00%)")));
  PostVLMMessage(&a, WM_DRIVE_SELECTED, 7);  // no such drive: ignored
  DeliverPosted();
  EXPECT_EQ(a.CurrentPath, "/data");
}

TEST(MainForm, OneDriveMeansNoDropDown) {
  TAnalyzerServices services = FakeServices();
  services.BuildDisks = [](TDiskList& d) {
    d = FakeDisks();
    d.resize(1);
  };
  TMainForm form(120, services);
  form.FormShow();
  EXPECT_EQ(form.Analyzer->PopupMenu1, nullptr);
  EXPECT_EQ(form.Analyzer->ToolButton1->menu(), nullptr);
}

TEST(MainForm, ClosingWaitsForTheWorkers) {
  TMainForm form(96, FakeServices());
  form.show();
  QCoreApplication::processEvents();
  TVLMAnalyzerForm& a = *form.Analyzer;
  a.Scanning = true;
  EXPECT_FALSE(form.close());
  EXPECT_TRUE(form.isVisible());
  EXPECT_TRUE(form.AppCloseTimer->isActive());
  form.AppCloseTimerTimer();
  form.AppCloseTimerTimer();
  EXPECT_EQ(a.ScanCancelRequests, 2);  // repeated on every tick while the scan runs
  a.Scanning = false;
  a.SummaryBusy = true;
  form.AppCloseTimerTimer();
  EXPECT_EQ(a.SummaryStopRequests, 1);
  EXPECT_TRUE(form.isVisible());
  a.SummaryBusy = false;
  form.AppCloseTimerTimer();  // the first tick after both flags cleared closes the window
  EXPECT_FALSE(form.AppCloseTimer->isActive());
  EXPECT_FALSE(form.isVisible());
}

TEST(AboutForm, CaptionAndSystemLines) {
  TWindowsInfo system;
  system.ProductName = "Debian GNU/Linux 12 (bookworm)";
  TVLMAboutForm about(nullptr, QStringLiteral("Quendrix Vellumetric"), system);
  EXPECT_EQ(about.windowTitle(), QStringLiteral("About Quendrix Vellumetric"));
  EXPECT_EQ(about.VersionLabel->text(), QStringLiteral("Version 1.2.0"));
  EXPECT_EQ(about.WinVerLabel->text(), QStringLiteral("Debian GNU/Linux 12 (bookworm) "));
  EXPECT_TRUE(
      about.TotalRAMLabel->text().startsWith(QStringLiteral("Physical memory available to ")));
}

}  // namespace
}  // namespace Vellumetric
