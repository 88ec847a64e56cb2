// Renders the save, open, options (list and edit panel) and help windows with sample content
// into PNG files, for scripts/screenshots: `window-shots OUTPUT_FOLDER SUFFIX`. The data folder
// is whatever XDG_DATA_HOME says; the script points it into a temporary folder.
#include <QApplication>
#include <QScreen>
#include <QTimer>
#include <cmath>
#include <fstream>

#include "filetypes/VLMOptions.h"
#include "system/SystemFolders.h"
#include "system/TApplicationInfo.h"
#include "ui/TOpenSummaryForm.h"
#include "ui/TSaveSummaryForm.h"
#include "ui/TVLMHelpForm.h"
#include "ui/TVLMOptionsForm.h"

using namespace Vellumetric;

namespace {

void Shot(QWidget& window, const QString& folder, const QString& name) {
  window.show();
  QApplication::processEvents();
  window.grab().save(folder + "/" + name + ".png");
  window.hide();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 3) return 2;
  const QString out = QString::fromLocal8Bit(argv[1]);
  const QString suffix = QString::fromLocal8Bit(argv[2]);
  std::string message;
  if (!InitApplicationInfo(VellumetricProductIndex, "1.2.0", 6, message)) return 1;
  const std::string backup = GetBackupFolder();
  for (const char* name : {"Drive_root.sbf", "Photos.sbf", "Ann's Fotos \xc3\xa9t\xc3\xa9.sbf"}) {
    std::ofstream(JoinNativePath(backup, name)) << "0\r\n/\r\n";
  }
  // Qt scales the windows by the device pixel ratio; the screen's own resolution picks images.
  const QScreen* screen = app.primaryScreen();
  const int screenDpi =
      static_cast<int>(std::lround(screen->logicalDotsPerInchX() * screen->devicePixelRatio()));
  const int dpi = static_cast<int>(std::lround(screenDpi / screen->devicePixelRatio()));
  QObject analyzer;
  std::string text;
  bool ascending = false;
  TSaveSummaryForm save(nullptr, QStringLiteral("/home/ann/Photos"), text, &analyzer, backup);
  Shot(save, out, "save-" + suffix);
  TOpenSummaryForm open(nullptr, &analyzer, text, QStringLiteral("  Open Saved Summary  "), backup,
                        ascending);
  Shot(open, out, "open-" + suffix);
  TFileExtDescList groups;
  TFileExtList extensions;
  const std::string db = JoinNativePath(ApplicationInfo().DataFolder(), VLMOptions::FileName);
  {
    VLMOptions options(db, [](const std::string&) {});
    static_cast<void>(options.LoadGroups(groups));
    static_cast<void>(options.LoadExtensions(extensions));
  }
  TVLMOptionsForm options(nullptr, groups, extensions, db, dpi, screenDpi);
  Shot(options, out, "options-" + suffix);
  options.ListView1->topLevelItem(5)->setSelected(true);
  options.ToolButton1Click();
  Shot(options, out, "options-edit-" + suffix);
  TVLMHelpForm help(nullptr, HelpFolder());
  Shot(help, out, "help-" + suffix);
  return 0;
}
