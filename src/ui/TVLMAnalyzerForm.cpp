#include "ui/TVLMAnalyzerForm.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLocale>
#include <QVBoxLayout>

#include "model/VLMMessages.h"
#include "system/NativePlatform.h"
#include "system/PathRules.h"
#include "system/StringTable.h"
#include "system/SystemFolders.h"
#include "system/SystemInfo.h"
#include "ui/TAnalyzerCommands.h"
#include "ui/TIconSet.h"
#include "ui/TVLMAboutForm.h"
#include "ui/TVLMMessageEvent.h"
#include "ui/UiMetrics.h"

namespace Vellumetric {

TVLMAnalyzerForm::TVLMAnalyzerForm(QWidget* parent, int dpi, TAnalyzerServices services)
    : QWidget(parent),
      DriveInfoCache(services.GatherDrive),
      Dpi(dpi),
      Services(std::move(services)) {
  setObjectName(QStringLiteral("VLMAnalyzerForm"));
  BuildToolBar();
  BuildPanels();
  Commands = new TAnalyzerCommands(*this);
  Shell = new TDesktopShell(this, Services.BusAddress);
  FolderView = new TFolderTreeController(VirtualStringTree, *Shell, Dpi);
  FolderView->FocusChanged = [this](const TFolderData& node, bool topLevel) {
    ShowFolderInfo(node, topLevel);
  };
  TSummaryControls controls;
  controls.GeneralTree = VirtualStringTree1;
  controls.DetailTree = VirtualStringTree2;
  controls.ProgressBar = ProgressBar1;
  controls.ProgressLabel = Label1;
  controls.ProgressStrip = Panel5;
  controls.RootCaption = StaticText1;
  controls.TitleBar = SummaryTitleBar;
  Summary = new TSummaryViewController(this, controls, *Shell, Dpi);
  WireSavedSummaries();
  MapTab = std::make_unique<TMapTabController>(PageControl1, VirtualStringTree, *FolderView->Model,
                                               *Shell);
  History = std::make_unique<TScanHistoryHook>(static_cast<QBoxLayout*>(Panel6->layout()),
                                               Services.HistoryDatabase);
  SummaryThreadTimer = new QTimer(this);
  SummaryThreadTimer->setInterval(200);
  connect(SummaryThreadTimer, &QTimer::timeout, this, [this] { SummaryThreadTimerTimer(); });
  connect(ToolButton1, &QToolButton::clicked, this, [this] { ScanDriveButtonClick(); });
  connect(ToolButton2, &QToolButton::clicked, this, [this] { BrowseForFolder(); });
  connect(ToolButton6, &QToolButton::clicked, this, [this] { BackClick(); });
}

// The workers write into this window's lists: they are stopped before any list goes.
TVLMAnalyzerForm::~TVLMAnalyzerForm() {
  DestroyProgressForm();
  MapTab.reset();  // its renderer may still read the folder tree
  delete Summary;
  Summary = nullptr;
}

QToolButton* TVLMAnalyzerForm::AddButton(const QString& caption, const QString& icon) {
  auto* button = new QToolButton(ToolBar1);
  button->setText(caption);
  button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  button->setAutoRaise(true);
  ButtonActions[button] = ToolBar1->addWidget(button);
  ButtonImages[button] = icon;
  return button;
}

void TVLMAnalyzerForm::BuildToolBar() {
  ToolBar1 = new QToolBar(this);
  ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
  ToolBar1->setMovable(false);
  ToolButton1 = AddButton(QStringLiteral("  Scan Drive  "), QStringLiteral("scan_drive"));
  ToolButton2 = AddButton(QStringLiteral("  Scan Folder  "), QStringLiteral("scan_folder"));
  ToolButton6 = AddButton(QStringLiteral("      Back      "), QStringLiteral("back"));
  ToolButton7 = AddButton(QStringLiteral("    Options    "), QStringLiteral("options"));
  ToolButton10 =
      AddButton(QStringLiteral("  Open Saved Summary  "), QStringLiteral("open_summary"));
  ToolButton8 = ToolBar1->addSeparator();
  ToolButton5 = AddButton(QStringLiteral("    Upgrade    "), QStringLiteral("upgrade"));
  ToolButton9 = AddButton(QStringLiteral("      Help      "), QStringLiteral("help"));
  ToolButton4 = AddButton(QStringLiteral("      About      "), QStringLiteral("about"));
  const std::pair<QToolButton*, const char*> names[] = {
      {ToolButton1, "ToolButton1"}, {ToolButton2, "ToolButton2"},  {ToolButton4, "ToolButton4"},
      {ToolButton5, "ToolButton5"}, {ToolButton6, "ToolButton6"},  {ToolButton7, "ToolButton7"},
      {ToolButton9, "ToolButton9"}, {ToolButton10, "ToolButton10"}};
  for (const auto& [button, name] : names) button->setObjectName(QString::fromLatin1(name));
  SetButtonShown(ToolButton6, false);
  connect(ToolButton4, &QToolButton::clicked, this, [this] { ShowAbout(); });
  SetToolbarImages(48);
}

void TVLMAnalyzerForm::BuildPanels() {
  Panel2 = new QWidget(this);
  Panel2->setObjectName(QStringLiteral("Panel2"));
  VirtualStringTree = new QTreeView(Panel2);
  VirtualStringTree->setObjectName(QStringLiteral("VirtualStringTree"));
  auto* panel2Layout = new QGridLayout(Panel2);
  panel2Layout->setContentsMargins(0, 0, 0, 0);
  panel2Layout->addWidget(VirtualStringTree, 0, 0);

  Panel1 = new QWidget(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setFixedWidth(Scaled(502, Dpi));
  ListView1 = new TInfoListView(Panel1);
  auto* panel1Layout = new QVBoxLayout(Panel1);
  panel1Layout->setContentsMargins(0, 0, 0, 0);
  panel1Layout->addWidget(ListView1);

  auto* upper = new QWidget(this);
  auto* upperLayout = new QHBoxLayout(upper);
  upperLayout->setContentsMargins(0, 0, 0, 0);
  upperLayout->setSpacing(0);
  upperLayout->addWidget(Panel2, 1);
  upperLayout->addWidget(Panel1);

  Panel4 = new QWidget(this);
  Panel4->setObjectName(QStringLiteral("Panel4"));
  SummaryTitleBar = new TVLMTitleBarForm(Panel4, this, Dpi);
  Panel6 = new QWidget(Panel4);
  Panel6->setObjectName(QStringLiteral("Panel6"));
  StaticText1 = new QLabel(Panel6);
  StaticText1->setObjectName(QStringLiteral("StaticText1"));
  auto* panel6Layout = new QHBoxLayout(Panel6);
  panel6Layout->addWidget(StaticText1);
  PageControl1 = new QTabWidget(Panel4);
  PageControl1->setObjectName(QStringLiteral("PageControl1"));
  TabSheet1 = new QWidget;
  TabSheet2 = new QWidget;
  VirtualStringTree1 = new QTreeView(TabSheet1);
  VirtualStringTree2 = new QTreeView(TabSheet2);
  (new QVBoxLayout(TabSheet1))->addWidget(VirtualStringTree1);
  (new QVBoxLayout(TabSheet2))->addWidget(VirtualStringTree2);
  PageControl1->addTab(TabSheet1, QStringLiteral("General"));
  PageControl1->addTab(TabSheet2, QStringLiteral("Detail"));
  Panel5 = new QWidget(Panel4);
  Panel5->setObjectName(QStringLiteral("Panel5"));
  ProgressBar1 = new QProgressBar(Panel5);
  Label1 = new QLabel(Panel5);
  auto* panel5Layout = new QHBoxLayout(Panel5);
  panel5Layout->addWidget(ProgressBar1, 1);
  panel5Layout->addWidget(Label1);
  auto* panel4Layout = new QVBoxLayout(Panel4);
  panel4Layout->setContentsMargins(0, 0, 0, 0);
  panel4Layout->setSpacing(0);
  panel4Layout->addWidget(SummaryTitleBar);
  panel4Layout->addWidget(Panel6);
  panel4Layout->addWidget(PageControl1, 1);
  panel4Layout->addWidget(Panel5);

  Splitter1 = new QSplitter(Qt::Vertical, this);
  Splitter1->setObjectName(QStringLiteral("Splitter1"));
  Splitter1->addWidget(upper);
  Splitter1->addWidget(Panel4);
  Splitter1->setChildrenCollapsible(false);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(ToolBar1);
  layout->addWidget(Splitter1, 1);
}

void TVLMAnalyzerForm::SetButtonShown(QToolButton* button, bool shown) {
  ButtonActions.at(button)->setVisible(shown);
}

bool TVLMAnalyzerForm::IsButtonShown(const QToolButton* button) const {
  return ButtonActions.at(button)->isVisible();
}

void TVLMAnalyzerForm::SetToolbarImages(int size) {
  for (const auto& [button, image] : ButtonImages) {
    const_cast<QToolButton*>(button)->setIcon(TIconSet::Icon(image, size));
  }
  ToolBar1->setIconSize(QSize(size, size));
}

// Below 101 pixels per inch: no separator, Upgrade, Help or About, and the 24 x 24 images.
void TVLMAnalyzerForm::SetCompactToolbar(bool compact) {
  Compact = compact;
  for (QToolButton* b : {ToolButton5, ToolButton9, ToolButton4}) SetButtonShown(b, !compact);
  ToolButton8->setVisible(!compact);
  SetToolbarImages(compact ? 24 : 48);
  ToolBar1->setFixedHeight(ToolButton1->sizeHint().height() + 2);
}

void TVLMAnalyzerForm::Initialize() {
  ToolBar1->setFixedHeight(ToolButton1->sizeHint().height() + 2);
  SummaryPanelHeight = Scaled(297, Dpi);
  GatherSystemInfo(WindowsInfo, WindowsFolder);
  Services.BuildDisks(DiskList);
  ShowStartView();
  BuildScanDriveMenu();
  BuildScanFolderMenu();
  SummaryTitleBar->SetTitle(QStringLiteral("Summary"), true);
  SummaryTitleBar->show();
  PageControl1->setCurrentIndex(0);
}

void TVLMAnalyzerForm::BuildScanDriveMenu() {
  if (DiskList.size() == 1) {
    ToolButton1->setPopupMode(QToolButton::DelayedPopup);
    return;
  }
  PopupMenu1 = new QMenu(ToolButton1);
  PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
  for (std::size_t i = 0; i < DiskList.size(); ++i) {
    PopupMenu1->addAction(TIconSet::Icon(QStringLiteral("drive"), 16),
                          QString::fromStdString(DiskList[i].Name), this,
                          [this, i] { ScanDriveMenuItem(i); });
  }
  ToolButton1->setMenu(PopupMenu1);
  ToolButton1->setPopupMode(QToolButton::MenuButtonPopup);
}

void TVLMAnalyzerForm::BuildScanFolderMenu() {
  SpecialFolders[0] = GetProfileFolder();
  SpecialFolders[1] = GetDocumentsFolder();
  SpecialFolders[2] = GetMusicFolder();
  SpecialFolders[3] = GetPicturesFolder();
  SpecialFolders[4] = GetVideosFolder();
  PopupMenu2 = new QMenu(ToolButton2);
  PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
  for (std::size_t i = 0; i < std::size(SpecialFolders); ++i) {
    const std::string& folder = SpecialFolders[i];
    if (folder.empty()) continue;  // a folder this user does not have gets no item
    const std::string_view last = LastComponent(NativePathStyle(), folder);
    PopupMenu2->addAction(TIconSet::Icon(QStringLiteral("folder"), 16),
                          QString::fromStdString(std::string(last)), this,
                          [this, i] { ScanSpecialFolder(i); });
  }
  PopupMenu2->addAction(TIconSet::Icon(QStringLiteral("drive"), 16),
                        QString::fromStdString(LoadResString(IDS_BROWSE)), this,
                        [this] { BrowseForFolder(); });
  ToolButton2->setMenu(PopupMenu2);
  ToolButton2->setPopupMode(QToolButton::MenuButtonPopup);
}

void TVLMAnalyzerForm::ShowStartView() {
  SetButtonShown(ToolButton6, false);
  Splitter1->widget(0)->show();  // hidden by the saved-summary view
  Splitter1->handle(1)->hide();
  Panel4->hide();
  DestroyProgressForm();
  if (!QuickInfo) {
    QuickInfo = new TVLMQuickInfoForm(Panel2, DiskList, this, Dpi, Services.VolumeQuery);
    static_cast<QGridLayout*>(Panel2->layout())->addWidget(QuickInfo, 0, 0);
    QuickInfo->ShowDriveList();
    QuickInfo->show();
    QuickInfo->raise();
    // Without a fixed drive the page stays empty.
    if (!DiskList.empty()) ShowDriveInfo(DiskList.front().RootPath);
  }
  for (QToolButton* b : {ToolButton1, ToolButton2, ToolButton7, ToolButton10}) {
    SetButtonShown(b, true);
  }
  Panel1->show();
  Panel2->show();
  TypedFiles.clear();
  update();
}

void TVLMAnalyzerForm::ShowDriveInfo(const std::string& root) {
  const TDriveInfo& drive = DriveInfoCache.Get(root);
  CurrentPath = root;
  ListView1->ShowRows(DrivePageRows(drive), 200, 160);
}

void TVLMAnalyzerForm::ShowFolderDetails(const std::string& path, const TFolderData* node) {
  ListView1->ShowRows(FolderPageRows(path, node, QLocale::system().decimalPoint().toStdString()),
                      100, 270);
}

void TVLMAnalyzerForm::CancelSummary() {
  ++SummaryStopRequests;
  Summary->CancelSummary();
}

bool TVLMAnalyzerForm::WorkPending() const {
  return Scanning.load() || SummaryBusy.load() || ProgressForm || Summary->HasWorker();
}

void TVLMAnalyzerForm::CancelScan() {
  ++ScanCancelRequests;
  if (ProgressForm) ProgressForm->CancelScan();
}

void TVLMAnalyzerForm::ShowAbout() {
  TVLMAboutForm about(this, window()->windowTitle(), WindowsInfo);
  about.exec();
}

bool TVLMAnalyzerForm::event(QEvent* event) {
  const auto message = static_cast<std::uint32_t>(event->type());
  if (message < WM_DRIVE_SELECTED || message > WM_OPEN_SUMMARY) return QWidget::event(event);
  const auto index = static_cast<TVLMMessageEvent*>(event)->WParam;
  switch (message) {
    case WM_DRIVE_SELECTED:
      if (index < DiskList.size()) ShowDriveInfo(DiskList[index].RootPath);
      return true;
    case WM_DRIVE_OPEN:
      DriveOpen(index);
      return true;
    case WM_SCAN_FINISHED:
      ScanFinished();
      return true;
    case WM_SCAN_CANCELLED:
      ScanCancelled();
      return true;
    case WM_SUMMARY_FINISHED:
      SummaryFinished();
      return true;
    default:
      // 2031-2033: the saved-summary commands
      if (Commands->HandleMessage(event)) return true;
      return QWidget::event(event);
  }
}

}  // namespace Vellumetric
