// The desktop program: one main window that hosts the analyzer. `vellumetric PATH` scans the
// folder PATH at once; `vellumetric FILE.sbf` opens that saved summary, `vellumetric FILE.json`
// (.gz, .zst) the scan an ncdu export holds.
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "app/AppCommandLine.h"
#include "system/MemoryReport.h"
#include "system/NativePlatform.h"
#include "ui/windows/StartPath.h"
#include "ui/windows/TMainForm.h"

namespace {

// VLM_MEMORY_REPORT=FILE: where the window's memory is (heap, address space, window objects),
// appended to FILE every second from the start, for measuring what a scan costs on each system.
void StartMemoryReports(QObject* owner) {
  const char* file = std::getenv("VLM_MEMORY_REPORT");
  if (file == nullptr || *file == '\0') return;
  auto* timer = new QTimer(owner);
  QElapsedTimer clock;
  clock.start();
  QObject::connect(timer, &QTimer::timeout, [file, clock] {
    if (std::FILE* out = std::fopen(file, "a")) {
      std::fprintf(out, "--- %.1f s\n%s", static_cast<double>(clock.elapsed()) / 1000.0,
                   Vellumetric::MemoryReportText().c_str());
      std::fclose(out);
    }
  });
  timer->start(1000);
}

}  // namespace

int main(int argc, char** argv) {
  if (const auto status = Vellumetric::HandleInformationOptions(argc, argv)) return *status;
  Vellumetric::PrepareMemoryForScans();
  // Qt takes its own options (-platform, -style, ...) out of argv here; what is left is ours.
  QApplication app(argc, argv);
  Vellumetric::TStartTarget start;
  const std::vector<std::string> args = Vellumetric::CommandLineArguments(argc, argv);
  if (args.size() > 1) {
    std::string message;
    if (!Vellumetric::ResolveStartArgument(args[1], start, message)) {
      std::fprintf(stderr, "vellumetric: %s\n", message.c_str());
      return 2;
    }
  }
  Vellumetric::TMainForm mainForm;
  mainForm.show();
  if (!start.Folder.empty() || !start.SummaryFile.empty() || !start.ScanFile.empty()) {
    QTimer::singleShot(0, &mainForm, [&mainForm, start] {
      if (!mainForm.Analyzer) return;
      if (!start.SummaryFile.empty()) {
        mainForm.Analyzer->LoadSavedSummary(start.SummaryFile);
      } else if (!start.ScanFile.empty()) {
        mainForm.Analyzer->OpenScanFile(start.ScanFile);
      } else {
        mainForm.Analyzer->ScanFolder(start.Folder);
      }
    });
  }
  StartMemoryReports(&app);
  return app.exec();
}
