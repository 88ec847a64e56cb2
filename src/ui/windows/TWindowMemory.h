#pragma once

#include <QObject>
#include <QString>
#include <string>

#include "persistence/TWindowStateFile.h"

class QHeaderView;
class QWidget;

namespace Vellumetric {

class TVLMAnalyzerForm;

// Keeps what the user made of the main window between runs: its size and place, the splitter
// above the summary, the column widths of the folder tree and the summary's pages, the folder
// tree's sort order, the measure (Size or Size on Disk) and the summary page looked at last. Read
// from the data folder when the window is first shown, written there when it closes; an empty
// folder keeps nothing between runs. The summary page is remembered within the run all the same.
class TWindowMemory final : public QObject {
 public:
  // `window` is the main window, `analyzer` the window it hosts.
  TWindowMemory(QWidget& window, TVLMAnalyzerForm& analyzer, std::string folder);

  // After the window has its default layout: puts back what the store holds. A store that
  // cannot be read, or a value that does not fit this window, leaves the default.
  void Restore();
  // Writes the state of the window now; false when it could not be written (nothing is lost
  // but the state).
  [[nodiscard]] bool Save();
  // Shows the summary page looked at last, or the first one when that one is hidden.
  void ShowLastSummaryPage();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void RestoreGeometry();
  void RestoreColumns(QHeaderView* header, const char* key, int stretched);
  void SaveColumns(QHeaderView* header, const char* key);
  void NotePage();

  QWidget& Window;
  TVLMAnalyzerForm& Analyzer;
  std::string Folder;
  TWindowStateFile State;
  QString LastPage;
};

}  // namespace Vellumetric
