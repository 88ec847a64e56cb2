#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "duplicates/TDuplicateResult.h"
#include "find/TFileQuery.h"
#include "model/TBiggestFileList.h"
#include "model/TFileExtDescData.h"
#include "model/TFileRecordStore.h"
#include "model/TFolderData.h"
#include "model/TSummaryTree.h"
#include "statistics/FileStatistics.h"
#include "system/PathRules.h"
#include "ui/dialogs/TDialogPrompts.h"

namespace Vellumetric {

// What the results view can export; a table that is not there (yet) is null and its choice
// stays disabled. Everything must stay unchanged while the dialog is open.
struct TExportSources {
  const TFolderTree* Tree = nullptr;
  TNodeId Root = NoNode;
  const TBiggestFileList* Biggest = nullptr;
  std::string SourcePath;                    // the scanned root, for the biggest files' locations
  const TSummaryTree* Detail = nullptr;      // null while the summary is still being made
  std::shared_ptr<const TFindResult> Found;  // what the Find tab lists; held while writing
  std::shared_ptr<const TDuplicateResult> Duplicates;  // what the Duplicates tab lists
  TFileQuery FoundQuery;  // what found it: run again for every match when the list was cut
  const TFileRecordStore* Files = nullptr;
  const TFileExtDescList* Groups = nullptr;
  TPathStyle Style = TPathStyle::Posix;
  TMeasure Measure = TMeasure::Size;  // what the shares are of, as the window shows them
  // What the Statistics tab shows; held while writing.
  std::shared_ptr<const TFileStatistics> Statistics;
};

enum class TExportTable {
  FolderTree,
  BiggestFiles,
  DetailGroups,
  FoundFiles,
  Duplicates,
  SizeStatistics,
  AgeStatistics
};

// "Export...": one table of the results (the folder tree to a chosen depth, the 20 biggest files,
// the Detail groups, the Find results, the duplicate groups, or the Statistics tab's file sizes
// or file ages) as CSV or JSON into a file. The text is made and written on a worker thread
// through the atomic writer, so a large tree never freezes the window and a failed write (a full
// disk, a folder without write permission) leaves the file as it was; the failure is shown with
// the system's reason and the dialog stays open for another try.
class TExportDialog final : public QDialog {
 public:
  TExportDialog(QWidget* owner, TExportSources sources,
                TDialogPrompts prompts = TDialogPrompts::Standard());
  ~TExportDialog() override;

  // Chooses `table` when it is there (the one the user is looking at).
  void SelectTable(TExportTable table);
  // Export: asks for a file first when none is named, then writes it.
  void ExportClick();
  // Browse: the save-file window, suggesting a name for the table and format chosen.
  void BrowseClick();
  [[nodiscard]] bool Writing() const noexcept { return Worker.joinable(); }

  // Asks for the file to write; QFileDialog::getSaveFileName unless replaced (tests).
  std::function<QString(QWidget* parent, const QString& suggested, const QString& filter)>
      ChooseFile;

  QRadioButton* TreeChoice = nullptr;
  QComboBox* DepthBox = nullptr;
  QRadioButton* BiggestChoice = nullptr;
  QRadioButton* DetailChoice = nullptr;
  QRadioButton* FoundChoice = nullptr;
  QRadioButton* DupesChoice = nullptr;
  QRadioButton* SizeStatsChoice = nullptr;
  QRadioButton* AgeStatsChoice = nullptr;
  QRadioButton* CsvChoice = nullptr;
  QRadioButton* JsonChoice = nullptr;
  QLineEdit* FileEdit = nullptr;
  QPushButton* BrowseButton = nullptr;
  QPushButton* ExportButton = nullptr;
  QPushButton* CancelButton = nullptr;
  QLabel* StatusLabel = nullptr;

 protected:
  bool event(QEvent* event) override;
  void reject() override;

 private:
  void BuildControls();
  void FormatChanged();
  [[nodiscard]] QString SuggestedName() const;
  void StartWriting(const std::string& path);
  void Finished(bool written, const QString& error);
  void SetBusy(bool busy);

  TExportSources Sources;
  TDialogPrompts Prompts;
  QString Confirmed;  // a name the save-file window has asked about replacing already
  std::thread Worker;
  std::string Target;
};

}  // namespace Vellumetric
