#pragma once

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QSplitter>
#include <QString>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QWidget>
#include <cstddef>
#include <functional>
#include <map>
#include <span>
#include <string>

#include "system/TDiskInfo.h"
#include "ui/common/TVLMTitleBarForm.h"
#include "ui/results/TInfoListView.h"

namespace Vellumetric {

// The analyzer's controls and their layout, kept apart from its flows as a form designer keeps
// them: the toolbar and its buttons, the folder tree beside the information page, and the summary
// panel with the General and Detail pages. The analyzer inherits them, the way Qt's designer
// forms are used, and wires them. A button is shown and hidden through its toolbar action.
class TAnalyzerControls {
 public:
  [[nodiscard]] bool IsButtonShown(const QToolButton* button) const;
  // Below 101 pixels per inch: no separator, Upgrade, Help or About, and the 24 x 24 images.
  void SetCompactToolbar(bool compact);

  QToolBar* ToolBar1 = nullptr;
  QToolButton* ToolButton1 = nullptr;
  QToolButton* ToolButton2 = nullptr;
  QToolButton* ToolButton4 = nullptr;
  QToolButton* ToolButton5 = nullptr;
  QToolButton* ToolButton6 = nullptr;
  QToolButton* ToolButton7 = nullptr;
  QAction* ToolButton8 = nullptr;  // the separator
  QToolButton* ToolButton9 = nullptr;
  QToolButton* ToolButton10 = nullptr;
  QToolButton* ToolButton11 = nullptr;        // Scan History...
  QToolButton* OpenScanFileButton = nullptr;  // an ncdu export, read as a scan
  QToolButton* ExportButton = nullptr;        // the results view's "Export..."
  QToolButton* ScanAgainButton = nullptr;     // the results view's: the same root once more
  QToolButton* MeasureButton = nullptr;       // the results view's: pressed, by size on disk
  QMenu* PopupMenu1 = nullptr;
  QMenu* PopupMenu2 = nullptr;
  QWidget* Panel1 = nullptr;
  QWidget* Panel2 = nullptr;
  QWidget* Panel4 = nullptr;
  QWidget* Panel5 = nullptr;
  QWidget* Panel6 = nullptr;
  QSplitter* Splitter1 = nullptr;
  QTabWidget* PageControl1 = nullptr;
  QWidget* TabSheet1 = nullptr;
  QWidget* TabSheet2 = nullptr;
  QTreeView* VirtualStringTree = nullptr;
  QTreeView* VirtualStringTree1 = nullptr;
  QTreeView* VirtualStringTree2 = nullptr;
  TInfoListView* ListView1 = nullptr;
  QLabel* StaticText1 = nullptr;
  QProgressBar* ProgressBar1 = nullptr;
  QLabel* Label1 = nullptr;
  TVLMTitleBarForm* SummaryTitleBar = nullptr;

 protected:
  // Makes every control a child of `form`, laid out for `dpi` pixels per inch; the summary's
  // title bar posts its messages to `form`.
  void SetupControls(QWidget* form, int dpi);
  void SetButtonShown(QToolButton* button, bool shown);
  // Scan Drive's menu: an item per drive, which calls `scan` with the drive's index; none for a
  // single drive.
  void BuildScanDriveMenu(const TDiskList& disks, const std::function<void(std::size_t)>& scan);
  // Scan Folder's menu: an item per folder the user has, named by its last part, which calls
  // `scan` with its index in `folders`; then, when given, "NTFS Image...", which calls
  // `openImage`; then Browse, which calls `browse`.
  void BuildScanFolderMenu(std::span<const std::string> folders,
                           const std::function<void(std::size_t)>& scan,
                           const std::function<void()>& browse,
                           const std::function<void()>& openImage = nullptr);

  bool Compact = false;

 private:
  QToolButton* AddButton(const QString& caption, const QString& icon);
  void BuildToolBar(QWidget* form);
  void BuildPanels(QWidget* form, int dpi);
  void SetToolbarImages(int size);

  QWidget* Form = nullptr;
  std::map<const QToolButton*, QAction*> ButtonActions;
  std::map<const QToolButton*, QString> ButtonImages;
};

}  // namespace Vellumetric
