// The desktop program: one main window that hosts the analyzer.
#include <QApplication>

#include "app/AppCommandLine.h"
#include "system/NativePlatform.h"
#include "ui/TMainForm.h"

int main(int argc, char** argv) {
  if (const auto status = Vellumetric::HandleInformationOptions(argc, argv)) return *status;
  Vellumetric::PrepareMemoryForScans();
  QApplication app(argc, argv);
  Vellumetric::TMainForm mainForm;
  mainForm.show();
  return app.exec();
}
