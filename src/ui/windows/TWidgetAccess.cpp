#include "ui/windows/TWidgetAccess.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QWidget>
#include <vector>

namespace Vellumetric {
namespace {

constexpr auto kNoStandardKey = QKeySequence::UnknownKey;
// The property that records for which window a widget has had its row applied.
constexpr const char* kAppliedFor = "vlmAccessAppliedFor";

// One widget of one window. `Widget` is its object name, or "Parent/Name" where the name alone
// is not unique in the window. A button with a key gets it as its shortcut and in its tooltip; a
// window's own row gives the key that closes it. `Name` is what a screen reader calls the widget
// (nullptr: its own text); `Default` makes a push button the one Return presses.
struct TAccessRow {
  const char* Window;
  const char* Widget;
  const char* Name;
  const char* Description;
  QKeySequence::StandardKey Standard = kNoStandardKey;
  const char* Fixed = nullptr;  // the key where the platform has no standard one
  bool Default = false;
};

// clang-format off
constexpr TAccessRow kRows[] = {
  // The main window's commands.
  {"MainForm", "ToolBar1/ToolButton1", "Scan Drive",
   "Scans the drive whose tile is selected; the arrow lists every drive", kNoStandardKey, "Ctrl+D"},
  {"MainForm", "ToolBar1/ToolButton2", "Scan Folder",
   "Scans a folder you choose; the arrow lists your own folders", kNoStandardKey, "Ctrl+Shift+O"},
  {"MainForm", "ToolBar1/ScanAgainButton", "Scan Again",
   "Scans the same drive or folder once more", QKeySequence::Refresh, "F5"},
  {"MainForm", "ToolBar1/ToolButton6", "Back", "Returns to the start view",
   QKeySequence::Back, "Alt+Left"},
  {"MainForm", "ToolBar1/ToolButton7", "Options", "Edits the file-type groups",
   QKeySequence::Preferences, "Ctrl+,"},
  {"MainForm", "ToolBar1/ToolButton10", "Open Saved Summary", "Opens a summary saved earlier",
   QKeySequence::Open, "Ctrl+O"},
  {"MainForm", "ToolBar1/OpenScanFileButton", "Open Scan File",
   "Opens a scan written by ncdu, gdu or vellumetric-cli on another computer", kNoStandardKey,
   "Ctrl+Shift+F"},
  {"MainForm", "ToolBar1/ToolButton11", "Scan History",
   "Lists the stored scans of your folders and compares two of them", kNoStandardKey, "Ctrl+H"},
  // Not Ctrl+E: on Linux desktops a text field takes that for the end of its line, so it would
  // not export from the Find page's fields.
  {"MainForm", "ToolBar1/ExportButton", "Export",
   "Writes a table of the results to a CSV or JSON file", kNoStandardKey, "Ctrl+Shift+E"},
  // A toggle: a screen reader says whether it is pressed.
  {"MainForm", "ToolBar1/MeasureButton", "Size on Disk",
   "Pressed: sizes, shares, order, the map and the biggest files go by what the files take on "
   "disk; not pressed: by the bytes they hold", kNoStandardKey, "Ctrl+M"},
  {"MainForm", "ToolBar1/ToolButton5", "Upgrade", "Opens the maker's web page"},
  {"MainForm", "ToolBar1/ToolButton9", "Help", "Opens the help", QKeySequence::HelpContents, "F1"},
  {"MainForm", "ToolBar1/ToolButton4", "About", "Shows the version and your system"},
  {"MainForm", "TVLMTitleBarForm/Button1", "Save Summary", "Saves the summary for later viewing",
   QKeySequence::Save, "Ctrl+S"},
  {"MainForm", "VLMDiskScanProgressInfoForm/Button1", "Cancel Scan",
   "Stops the scan; the folders walked so far are kept", QKeySequence::Cancel, "Esc"},
  // The main window's views.
  // The tiles and the map describe their selection themselves.
  {"MainForm", "TVLMDriveListForm", "Hard Disk Drives", nullptr},
  {"MainForm", "VirtualStringTree", "Folders",
   "The scanned folders, largest first, each with its share of its parent folder"},
  {"MainForm", "ListView1", "Information", "The page of the selected drive or folder"},
  {"MainForm", "VLMDiskScanProgressInfoForm/ProgressBar1", "Scan progress",
   "How many of the top-level folders are done"},
  {"MainForm", "SummaryProgressBar", "Summary progress", "How many files are summed up"},
  {"MainForm", "PageControl1", "Summary pages", nullptr},
  {"MainForm", "VirtualStringTree1", "20 Biggest Files",
   "The biggest files of the scan with their size, last access and folder"},
  {"MainForm", "VirtualStringTree2", "Files by type",
   "Each file-type group with its files, largest first, with its share of the largest group"},
  {"MainForm", "Map", "Map", nullptr},
  {"MainForm", "ChangesChooser", "Earlier scan", "The earlier scan of the folder to compare with"},
  {"MainForm", "ChangesList", "Changes",
   "The folders where the space grew or shrank since the earlier scan, and those new or gone"},
  {"MainForm", "FindResults", "Found files",
   "The files that match the search, largest first, each with its share of the largest"},
  {"MainForm", "SizeChart", "Size over the stored scans", nullptr},
  {"MainForm", "DuplicatesList", "Duplicates",
   "Groups of files and folders that are copies of one another, most wasted space first"},
  // A window's own row: its key closes it.
  {"MainForm", "MainForm", "Quit", nullptr, QKeySequence::Quit, "Ctrl+Q"},

  // Options.
  {"TVLMOptionsForm", "ToolBar1/ToolButton2", "Back",
   "Leaves the group without saving it", QKeySequence::Cancel, "Esc"},
  {"TVLMOptionsForm", "ListView1", "File-type groups", "Each group with its extensions"},
  {"TVLMOptionsForm", "Edit1", "Description of the group", "For example: Document Files"},
  {"TVLMOptionsForm", "Edit2", "File extension",
   "For example: .doc; Return adds it to the group"},
  {"TVLMOptionsForm", "ListBox1", "Extensions of the group", nullptr},
  {"TVLMOptionsForm", "Button3", "Add extension", nullptr},
  {"TVLMOptionsForm", "Button4", "Remove extension", nullptr},
  // Open Saved Summary.
  {"TOpenSummaryForm", "ListView1", "Saved summaries", "Each saved summary with its date"},
  {"TOpenSummaryForm", "OpenButton", nullptr, nullptr, kNoStandardKey, nullptr, true},
  {"TOpenSummaryForm", "DeleteButton", nullptr, "Deletes the selected summaries",
   QKeySequence::Delete, "Del"},
  // Save Summary.
  {"TSaveSummaryForm", "Edit1", "Name", "The name of the summary file"},
  // About.
  {"TVLMAboutForm", "CloseButton", nullptr, nullptr, kNoStandardKey, nullptr, true},
  // Scan History.
  {"TScanHistoryForm", "ListView1", "Stored scans", "Each stored scan with its folder and totals"},
  {"TScanHistoryForm", "DeleteButton", nullptr, "Deletes the selected scans",
   QKeySequence::Delete, "Del"},
  // Help.
  {"TVLMHelpForm", "TVLMHelpForm", "Close Help", nullptr, QKeySequence::Cancel, "Esc"},
  {"TVLMHelpForm", "Browser", "Help page", nullptr},
  {"TVLMHelpForm", "BackButton", nullptr, "The page shown before", QKeySequence::Back,
   "Alt+Left"},
};

// The pages of a tab widget and their keys, found by the page's object name when the key is
// pressed, so a page added after the tab widget was made has its key as well.
struct TPageKey {
  const char* Tabs;
  const char* Page;
  const char* Name;
  QKeySequence::StandardKey Standard = kNoStandardKey;
  const char* Fixed = nullptr;
};

// clang-format off
constexpr TPageKey kPageKeys[] = {
  // The summary's pages, Ctrl+1 onwards in the order of the tabs; Find has the platform's key.
  {"PageControl1", "TabSheet1", "General", kNoStandardKey, "Ctrl+1"},
  {"PageControl1", "TabSheet2", "Detail", kNoStandardKey, "Ctrl+2"},
  {"PageControl1", "MapTabSheet", "Map", kNoStandardKey, "Ctrl+3"},
  {"PageControl1", "ChangesTabSheet", "Changes", kNoStandardKey, "Ctrl+4"},
  {"PageControl1", "FindTabSheet", "Find", QKeySequence::Find, "Ctrl+F"},
  {"PageControl1", "StatisticsTabSheet", "Statistics", kNoStandardKey, "Ctrl+5"},
};
// clang-format on

// The order Tab goes through a window's controls, where the order they were made in is not the
// order they are seen in. A chain is laid whenever one of its widgets is first shown, with those
// of its widgets the window has by then.
const std::vector<std::vector<const char*>> kTabChains = {
    // The main window: toolbar, the drives or the scan's Cancel or the folder tree (whichever the
    // left side shows), the information page, the summary's pages.
    {"MainForm", "ToolButton1", "ToolButton2", "ToolButton6", "ScanAgainButton", "ToolButton7",
     "ToolButton10", "OpenScanFileButton", "ToolButton11", "ExportButton", "MeasureButton",
     "ToolButton5", "ToolButton9", "ToolButton4", "ApplyRulesBox", "TVLMDriveListForm",
     "VLMDiskScanProgressInfoForm/Button1", "VirtualStringTree", "ListView1", "PageControl1"},
    // Options' group panel, top to bottom.
    {"TVLMOptionsForm", "Edit1", "Edit2", "Button3", "ListBox1", "Button4", "SaveButton",
     "Button1"},
};
// clang-format on

// The platform's standard key where it has one, else the program's own.
QKeySequence BindingOf(QKeySequence::StandardKey standard, const char* fixed) {
  if (standard != kNoStandardKey) {
    const QList<QKeySequence> keys = QKeySequence::keyBindings(standard);
    if (!keys.isEmpty()) return keys.front();
  }
  return fixed ? QKeySequence(QString::fromLatin1(fixed)) : QKeySequence();
}

QKeySequence KeyOfRow(const TAccessRow& row) {
  return BindingOf(row.Standard, row.Fixed);
}

QString WindowName(const QWidget* widget) {
  return widget->window()->objectName();
}

// "Name" matches any widget of that name; "Parent/Name" only one whose parent is so named.
bool Matches(const QWidget* widget, const char* path) {
  const QString p = QString::fromLatin1(path);
  const qsizetype slash = p.indexOf(QLatin1Char('/'));
  if (slash < 0) return widget->objectName() == p;
  const QWidget* parent = widget->parentWidget();
  return widget->objectName() == p.mid(slash + 1) && parent &&
         parent->objectName() == p.left(slash);
}

QWidget* FindInWindow(QWidget* window, const char* path) {
  const QString p = QString::fromLatin1(path);
  const QString name = p.mid(p.indexOf(QLatin1Char('/')) + 1);
  for (QWidget* w : window->findChildren<QWidget*>(name)) {
    if (Matches(w, path)) return w;
  }
  return nullptr;
}

QString KeyText(const QKeySequence& key) {
  return key.toString(QKeySequence::NativeText);
}

void ApplyButton(QAbstractButton* button, const TAccessRow& row, const QString& name) {
  const QKeySequence key = KeyOfRow(row);
  if (!key.isEmpty()) {
    button->setShortcut(key);
    button->setToolTip(QStringLiteral("%1 (%2)").arg(name, KeyText(key)));
  } else if (button->toolTip().isEmpty()) {
    button->setToolTip(name);
  }
  if (auto* push = qobject_cast<QPushButton*>(button); push && row.Default) push->setDefault(true);
}

// The keys of a tab widget's pages: each shows its page while the page's tab is there.
void ApplyPageKeys(QTabWidget* tabs) {
  for (const TPageKey& entry : kPageKeys) {
    if (tabs->objectName() != QLatin1String(entry.Tabs)) continue;
    const QKeySequence key = BindingOf(entry.Standard, entry.Fixed);
    const QString page = QString::fromLatin1(entry.Page);
    auto* shortcut = new QShortcut(key, tabs);
    QObject::connect(shortcut, &QShortcut::activated, tabs, [tabs, page] {
      for (int i = 0; i < tabs->count(); ++i) {
        if (tabs->widget(i)->objectName() == page && tabs->isTabVisible(i) &&
            tabs->isTabEnabled(i)) {
          tabs->setCurrentIndex(i);
          // A page with a field to type into (Find's name) takes the focus there.
          if (QWidget* proxy = tabs->widget(i)->focusProxy())
            proxy->setFocus(Qt::ShortcutFocusReason);
        }
      }
    });
  }
}

// A tab's tooltip names its key; laid again whenever the tab widget is shown, so that tabs added
// later have theirs.
void ApplyPageToolTips(QTabWidget* tabs) {
  for (int i = 0; i < tabs->count(); ++i) {
    for (const TPageKey& entry : kPageKeys) {
      if (tabs->objectName() != QLatin1String(entry.Tabs) ||
          tabs->widget(i)->objectName() != QLatin1String(entry.Page)) {
        continue;
      }
      const QString text =
          BindingOf(entry.Standard, entry.Fixed).toString(QKeySequence::NativeText);
      tabs->setTabToolTip(i, QStringLiteral("%1 (%2)").arg(tabs->tabText(i), text));
    }
  }
}

void ApplyTabChains(QWidget* widget) {
  QWidget* window = widget->window();
  for (const auto& chain : kTabChains) {
    if (window->objectName() != QLatin1String(chain.front())) continue;
    bool member = false;
    for (auto it = chain.begin() + 1; it != chain.end(); ++it) member |= Matches(widget, *it);
    if (!member) continue;
    QWidget* previous = nullptr;
    for (auto it = chain.begin() + 1; it != chain.end(); ++it) {
      QWidget* next = FindInWindow(window, *it);
      if (!next) continue;
      if (previous) QWidget::setTabOrder(previous, next);
      previous = next;
    }
  }
}

// A key that closes the window (Quit, Escape in the help window); its name is its title.
void ApplyWindowKey(QWidget* window, const TAccessRow& row) {
  const QKeySequence key = KeyOfRow(row);
  if (key.isEmpty()) return;
  auto* shortcut = new QShortcut(key, window);
  QObject::connect(shortcut, &QShortcut::activated, window, &QWidget::close);
}

}  // namespace

void TWidgetAccess::Install() {
  static TWidgetAccess* installed = nullptr;
  if (installed) return;
  installed = new TWidgetAccess;
  installed->setParent(qApp);
  qApp->installEventFilter(installed);
}

QKeySequence TWidgetAccess::KeyOf(std::string_view command) {
  for (const TAccessRow& row : kRows) {
    if (row.Name && command == row.Name && !KeyOfRow(row).isEmpty()) return KeyOfRow(row);
  }
  for (const TPageKey& entry : kPageKeys) {
    if (command == entry.Name) return BindingOf(entry.Standard, entry.Fixed);
  }
  return {};
}

void TWidgetAccess::Apply(QWidget* widget) {
  const QString window = WindowName(widget);
  for (const TAccessRow& row : kRows) {
    if (window != QLatin1String(row.Window) || !Matches(widget, row.Widget)) continue;
    if (widget->isWindow()) {
      ApplyWindowKey(widget, row);
      continue;
    }
    auto* button = qobject_cast<QAbstractButton*>(widget);
    const QString name = row.Name ? QString::fromUtf8(row.Name)
                         : button ? button->text().trimmed()
                                  : QString();
    if (!name.isEmpty()) widget->setAccessibleName(name);
    if (row.Description) widget->setAccessibleDescription(QString::fromUtf8(row.Description));
    if (button) ApplyButton(button, row, name);
  }
  // A button's caption padded with blanks (the toolbars' are) is read without them.
  if (auto* button = qobject_cast<QAbstractButton*>(widget);
      button && button->accessibleName().isEmpty() && button->text() != button->text().trimmed()) {
    button->setAccessibleName(button->text().trimmed());
  }
  if (auto* tabs = qobject_cast<QTabWidget*>(widget)) ApplyPageKeys(tabs);
  ApplyTabChains(widget);
}

// Once per widget and window: a widget may be polished while it has no window yet (a tab's page
// is built before it is added), so it is looked at again when it is first shown in a window.
bool TWidgetAccess::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if ((type == QEvent::Polish || type == QEvent::Show) && watched->isWidgetType()) {
    auto* widget = static_cast<QWidget*>(watched);
    const QString window = WindowName(widget);
    if (widget->property(kAppliedFor).toString() != window) {
      widget->setProperty(kAppliedFor, window);
      Apply(widget);
    }
    if (type == QEvent::Show) {
      if (auto* tabs = qobject_cast<QTabWidget*>(widget)) ApplyPageToolTips(tabs);
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace Vellumetric
