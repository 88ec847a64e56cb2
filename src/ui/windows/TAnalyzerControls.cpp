#include "ui/windows/TAnalyzerControls.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "system/NativePlatform.h"
#include "system/PathRules.h"
#include "system/StringTable.h"
#include "ui/common/UiMetrics.h"
#include "ui/services/TIconSet.h"

namespace Vellumetric {

void TAnalyzerControls::SetupControls(QWidget* form, int dpi) {
  Form = form;
  BuildToolBar(form);
  BuildPanels(form, dpi);
}

QToolButton* TAnalyzerControls::AddButton(const QString& caption, const QString& icon) {
  auto* button = new QToolButton(ToolBar1);
  button->setText(caption);
  button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  button->setAutoRaise(true);
  ButtonActions[button] = ToolBar1->addWidget(button);
  ButtonImages[button] = icon;
  return button;
}

void TAnalyzerControls::BuildToolBar(QWidget* form) {
  ToolBar1 = new QToolBar(form);
  ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
  ToolBar1->setMovable(false);
  ToolButton1 = AddButton(QStringLiteral("  Scan Drive  "), QStringLiteral("scan_drive"));
  ToolButton2 = AddButton(QStringLiteral("  Scan Folder  "), QStringLiteral("scan_folder"));
  ToolButton6 = AddButton(QStringLiteral("      Back      "), QStringLiteral("back"));
  ScanAgainButton = AddButton(QStringLiteral("  Scan Again  "), QStringLiteral("scan_again"));
  ScanAgainButton->setObjectName(QStringLiteral("ScanAgainButton"));
  ToolButton7 = AddButton(QStringLiteral("    Options    "), QStringLiteral("options"));
  ToolButton10 =
      AddButton(QStringLiteral("  Open Saved Summary  "), QStringLiteral("open_summary"));
  OpenScanFileButton =
      AddButton(QStringLiteral("  Open Scan File...  "), QStringLiteral("open_summary"));
  OpenScanFileButton->setObjectName(QStringLiteral("OpenScanFileButton"));
  ToolButton11 = AddButton(QStringLiteral("  Scan History...  "), QStringLiteral("scan_history"));
  ExportButton = AddButton(QStringLiteral("    Export...    "), QStringLiteral("export"));
  ExportButton->setObjectName(QStringLiteral("ExportButton"));
  MeasureButton = AddButton(QStringLiteral("  Size on Disk  "), QStringLiteral("on_disk"));
  MeasureButton->setObjectName(QStringLiteral("MeasureButton"));
  MeasureButton->setCheckable(true);
  ToolButton8 = ToolBar1->addSeparator();
  ToolButton5 = AddButton(QStringLiteral("    Upgrade    "), QStringLiteral("upgrade"));
  ToolButton9 = AddButton(QStringLiteral("      Help      "), QStringLiteral("help"));
  ToolButton4 = AddButton(QStringLiteral("      About      "), QStringLiteral("about"));
  const std::pair<QToolButton*, const char*> names[] = {
      {ToolButton1, "ToolButton1"}, {ToolButton2, "ToolButton2"},   {ToolButton4, "ToolButton4"},
      {ToolButton5, "ToolButton5"}, {ToolButton6, "ToolButton6"},   {ToolButton7, "ToolButton7"},
      {ToolButton9, "ToolButton9"}, {ToolButton10, "ToolButton10"}, {ToolButton11, "ToolButton11"}};
  for (const auto& [button, name] : names) button->setObjectName(QString::fromLatin1(name));
  SetButtonShown(ToolButton6, false);
  SetButtonShown(ExportButton, false);
  SetButtonShown(ScanAgainButton, false);
  SetButtonShown(MeasureButton, false);
  SetToolbarImages(48);
}

void TAnalyzerControls::BuildPanels(QWidget* form, int dpi) {
  Panel2 = new QWidget(form);
  Panel2->setObjectName(QStringLiteral("Panel2"));
  VirtualStringTree = new QTreeView(Panel2);
  VirtualStringTree->setObjectName(QStringLiteral("VirtualStringTree"));
  auto* panel2Layout = new QGridLayout(Panel2);
  panel2Layout->setContentsMargins(0, 0, 0, 0);
  panel2Layout->addWidget(VirtualStringTree, 0, 0);

  Panel1 = new QWidget(form);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setFixedWidth(Scaled(502, dpi));
  ListView1 = new TInfoListView(Panel1);
  auto* panel1Layout = new QVBoxLayout(Panel1);
  panel1Layout->setContentsMargins(0, 0, 0, 0);
  panel1Layout->addWidget(ListView1);

  auto* upper = new QWidget(form);
  auto* upperLayout = new QHBoxLayout(upper);
  upperLayout->setContentsMargins(0, 0, 0, 0);
  upperLayout->setSpacing(0);
  upperLayout->addWidget(Panel2, 1);
  upperLayout->addWidget(Panel1);

  Panel4 = new QWidget(form);
  Panel4->setObjectName(QStringLiteral("Panel4"));
  SummaryTitleBar = new TVLMTitleBarForm(Panel4, form, dpi);
  Panel6 = new QWidget(Panel4);
  Panel6->setObjectName(QStringLiteral("Panel6"));
  StaticText1 = new QLabel(Panel6);
  StaticText1->setObjectName(QStringLiteral("StaticText1"));
  auto* panel6Layout = new QHBoxLayout(Panel6);
  panel6Layout->addWidget(StaticText1);
  PageControl1 = new QTabWidget(Panel4);
  PageControl1->setObjectName(QStringLiteral("PageControl1"));
  TabSheet1 = new QWidget;
  TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
  TabSheet2 = new QWidget;
  TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
  VirtualStringTree1 = new QTreeView(TabSheet1);
  VirtualStringTree1->setObjectName(QStringLiteral("VirtualStringTree1"));
  VirtualStringTree2 = new QTreeView(TabSheet2);
  VirtualStringTree2->setObjectName(QStringLiteral("VirtualStringTree2"));
  (new QVBoxLayout(TabSheet1))->addWidget(VirtualStringTree1);
  (new QVBoxLayout(TabSheet2))->addWidget(VirtualStringTree2);
  PageControl1->addTab(TabSheet1, QStringLiteral("General"));
  PageControl1->addTab(TabSheet2, QStringLiteral("Detail"));
  Panel5 = new QWidget(Panel4);
  Panel5->setObjectName(QStringLiteral("Panel5"));
  ProgressBar1 = new QProgressBar(Panel5);
  ProgressBar1->setObjectName(QStringLiteral("SummaryProgressBar"));
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

  Splitter1 = new QSplitter(Qt::Vertical, form);
  Splitter1->setObjectName(QStringLiteral("Splitter1"));
  Splitter1->addWidget(upper);
  Splitter1->addWidget(Panel4);
  Splitter1->setChildrenCollapsible(false);
  auto* layout = new QVBoxLayout(form);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(ToolBar1);
  layout->addWidget(Splitter1, 1);
}

void TAnalyzerControls::SetButtonShown(QToolButton* button, bool shown) {
  ButtonActions.at(button)->setVisible(shown);
}

bool TAnalyzerControls::IsButtonShown(const QToolButton* button) const {
  return ButtonActions.at(button)->isVisible();
}

void TAnalyzerControls::SetToolbarImages(int size) {
  for (const auto& [button, image] : ButtonImages) {
    const_cast<QToolButton*>(button)->setIcon(TIconSet::Icon(image, size));
  }
  ToolBar1->setIconSize(QSize(size, size));
}

void TAnalyzerControls::SetCompactToolbar(bool compact) {
  Compact = compact;
  for (QToolButton* b : {ToolButton5, ToolButton9, ToolButton4}) SetButtonShown(b, !compact);
  ToolButton8->setVisible(!compact);
  SetToolbarImages(compact ? 24 : 48);
  ToolBar1->setFixedHeight(ToolButton1->sizeHint().height() + 2);
}

void TAnalyzerControls::BuildScanDriveMenu(const TDiskList& disks,
                                           const std::function<void(std::size_t)>& scan) {
  if (disks.size() == 1) {
    ToolButton1->setPopupMode(QToolButton::DelayedPopup);
    return;
  }
  PopupMenu1 = new QMenu(ToolButton1);
  PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
  for (std::size_t i = 0; i < disks.size(); ++i) {
    PopupMenu1->addAction(TIconSet::Icon(QStringLiteral("drive"), 16),
                          QString::fromStdString(disks[i].Name), Form, [scan, i] { scan(i); });
  }
  ToolButton1->setMenu(PopupMenu1);
  ToolButton1->setPopupMode(QToolButton::MenuButtonPopup);
}

void TAnalyzerControls::BuildScanFolderMenu(std::span<const std::string> folders,
                                            const std::function<void(std::size_t)>& scan,
                                            const std::function<void()>& browse,
                                            const std::function<void()>& openImage) {
  PopupMenu2 = new QMenu(ToolButton2);
  PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
  for (std::size_t i = 0; i < folders.size(); ++i) {
    const std::string& folder = folders[i];
    if (folder.empty()) continue;  // a folder this user does not have gets no item
    const std::string_view last = LastComponent(NativePathStyle(), folder);
    PopupMenu2->addAction(TIconSet::Icon(QStringLiteral("folder"), 16),
                          QString::fromStdString(std::string(last)), Form, [scan, i] { scan(i); });
  }
  // Before Browse, which stays the menu's last item.
  if (openImage) {
    PopupMenu2->addAction(TIconSet::Icon(QStringLiteral("drive"), 16),
                          QStringLiteral("NTFS Image..."), Form, openImage);
  }
  PopupMenu2->addAction(TIconSet::Icon(QStringLiteral("drive"), 16),
                        QString::fromStdString(LoadResString(IDS_BROWSE)), Form, browse);
  ToolButton2->setMenu(PopupMenu2);
  ToolButton2->setPopupMode(QToolButton::MenuButtonPopup);
}

}  // namespace Vellumetric
