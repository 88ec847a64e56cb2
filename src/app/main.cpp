// The desktop program: one main window that hosts the analyzer.
#include <QApplication>

#include "system/NativePlatform.h"
#include "ui/TMainForm.h"

int main(int argc, char** argv) {
  Vellumetric::PrepareMemoryForScans();
  QApplication app(argc, argv);
  Vellumetric::TMainForm mainForm;
  mainForm.show();
  return app.exec();
}
