// The analyzer's scan files: an ncdu export (ncdu -o, gdu -o, vellumetric-cli --export-ncdu)
// read through the scan walk into the results view, as a scan of the disk fills it.
#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>

#include "exchange/TBorrowedLister.h"
#include "ui/common/PathQText.h"
#include "ui/windows/TVLMAnalyzerForm.h"

namespace Vellumetric {
namespace {

// "/srv: scanned by ncdu 1.18, 08/12/2026 10:55, from nas01.json"
std::string SourceCaption(const TNcduHeader& header, const std::string& file) {
  QString text = QString::fromStdString(header.Root) + QStringLiteral(": scanned by ");
  const QString program = QString::fromStdString(header.ProgramName);
  text += program.isEmpty() ? QStringLiteral("an unnamed program") : program;
  if (!header.ProgramVersion.empty()) text += u' ' + QString::fromStdString(header.ProgramVersion);
  if (header.Timestamp > 0) {
    const QDateTime when = QDateTime::fromSecsSinceEpoch(header.Timestamp);
    text += QStringLiteral(", ") + QLocale::system().toString(when, QLocale::ShortFormat);
  }
  text += QStringLiteral(", from ") + QFileInfo(QString::fromStdString(file)).fileName();
  return text.toStdString();
}

}  // namespace

void TVLMAnalyzerForm::ChooseScanFile() {
  if (ProgressForm) return;
  std::string chosen;
  if (Services.ChooseScanFile) {
    chosen = Services.ChooseScanFile(this);
  } else {
    chosen = PathFromQt(QFileDialog::getOpenFileName(
        this, QStringLiteral("Open Scan File"), QString(),
        QStringLiteral("ncdu and gdu exports (*.json *.json.gz *.json.zst *.gz *.zst);;"
                       "All files (*)")));
  }
  if (!chosen.empty()) OpenScanFile(chosen);
}

void TVLMAnalyzerForm::OpenScanFile(const std::string& path) {
  if (ProgressForm || Scanning.load() || path.empty()) return;
  auto reader = std::make_unique<TNcduLister>();
  std::string error;
  if (!reader->Open(path, error)) {
    Services.ScanFileError(this,
                           QStringLiteral("%1 cannot be opened: %2")
                               .arg(QString::fromStdString(path), QString::fromStdString(error)),
                           QStringLiteral("Open Scan File"));
    return;
  }
  ScanFileCaption = SourceCaption(reader->Header(), path);
  const std::string root = reader->Header().Root;
  ScanFile = std::move(reader);
  NextListers = [this] { return std::make_unique<TBorrowedLister>(*ScanFile); };
  EnterScanView();
  ScanRoots = {root};
  CurrentPath = root;
  DestroyQuickInfo();
  StartScan(false);
}

bool TVLMAnalyzerForm::ScanFileFailed() {
  if (!ScanFile || !ScanFile->Failed()) return false;
  const QString reason = QString::fromStdString(ScanFile->Error());
  ScanFile.reset();
  Shell->SetPathsAreLocal(true);
  DestroyProgressForm();
  ShowStartView();
  Services.ScanFileError(
      this, QStringLiteral("The scan file could not be read to its end: %1").arg(reason),
      QStringLiteral("Open Scan File"));
  return true;
}

}  // namespace Vellumetric
