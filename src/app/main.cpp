// The desktop program: one main window that hosts the analyzer. `vellumetric PATH` scans the
// folder PATH at once.
#include <QApplication>
#include <QTimer>
#include <cstdio>

#include "app/AppCommandLine.h"
#include "system/NativePlatform.h"
#include "ui/StartPath.h"
#include "ui/TMainForm.h"

int main(int argc, char** argv) {
  if (const auto status = Vellumetric::HandleInformationOptions(argc, argv)) return *status;
  Vellumetric::PrepareMemoryForScans();
  // Qt takes its own options (-platform, -style, ...) out of argv here; what is left is ours.
  QApplication app(argc, argv);
  std::string startFolder;
  const std::vector<std::string> args = Vellumetric::CommandLineArguments(argc, argv);
  if (args.size() > 1) {
    std::string message;
    if (!Vellumetric::ResolveStartFolder(args[1], startFolder, message)) {
      std::fprintf(stderr, "vellumetric: %s\n", message.c_str());
      return 2;
    }
  }
  Vellumetric::TMainForm mainForm;
  mainForm.show();
  if (!startFolder.empty()) {
    QTimer::singleShot(0, &mainForm, [&mainForm, startFolder] {
      if (mainForm.Analyzer) mainForm.Analyzer->ScanFolder(startFolder);
    });
  }
  return app.exec();
}
