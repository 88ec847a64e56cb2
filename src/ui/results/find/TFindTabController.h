#pragma once

#include <QComboBox>
#include <QDate>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QObject>
#include <QSpinBox>
#include <QTabWidget>
#include <QTreeView>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "find/TFileQuery.h"
#include "model/TFileExtDescData.h"
#include "model/TFileRecordStore.h"
#include "model/TFolderData.h"
#include "ui/models/TFindResultsModel.h"
#include "ui/results/find/TFindQueryRunner.h"
#include "ui/services/TDesktopShell.h"

namespace Vellumetric {

// What another view asks Find to look for: a group or an extension, and a size range (the size
// fields' texts) or a time range (whole local days, both included).
struct TFindPreset {
  std::int32_t Group = TFileQuery::AnyGroup;
  QString Extension;
  QString MinSize;
  QString MaxSize;
  TFileQuery::TTime Time = TFileQuery::TTime::None;
  QDate From;
  QDate To;
};

// The "Find" tab of the results view: a name field and filters (size from and to, file-type
// group, last access long ago, an extension, last access or last change between two days) over
// the files of the finished scan, the files found largest first
// (at most MaxListed: a list of every file of a large disk helps nobody and costs the window a
// long relayout) with their share of the matches' bytes, and the count and total of every match.
// The measure decides what "size" and "largest" mean: the bytes a file holds, or what it takes on
// disk.
// The search runs beside the window as the user types (TFindQueryRunner). A click on a file focuses
// its folder (OnFolderFocused), a double-click shows the file in the file manager; the folders of
// the matches go to OnMatchFolders, for the map to outline.
class TFindTabController final : public QObject {
 public:
  static constexpr std::size_t DefaultMaxListed = 10000;

  TFindTabController(QTabWidget* tabs, TDesktopShell& shell, int dpi);
  ~TFindTabController() override;
  TFindTabController(const TFindTabController&) = delete;
  TFindTabController& operator=(const TFindTabController&) = delete;

  // Before a scan refills the tree and the records: stops a search and hides the tab.
  void ScanStarting();
  // After a scan has finished: the tab shows, and what the form holds is looked for again.
  void ScanFinished(const TFolderTree& tree, const TFileRecordStore& files,
                    const TFileExtDescList& groups);
  // Brings the tab to the front with the name field focused and selected (for a shortcut);
  // false when there is no scan to search.
  bool FocusSearch();
  // Fills the form with `preset` alone (every other field emptied) and brings the tab to the
  // front; false when there is no scan to search.
  bool ShowPreset(const TFindPreset& preset);
  // Bounds and order by the bytes files hold or by what they take on disk; what the form holds
  // is looked for again.
  void SetMeasure(TMeasure measure);

  // The files listed now; null when nothing is listed. Holding it keeps it alive after the list
  // has moved on.
  [[nodiscard]] std::shared_ptr<const TFindResult> SharedResult() const;
  // The query whose answer is listed (with the Top that cut it), to find every match again.
  [[nodiscard]] TFileQuery ShownQuery() const;
  // A search is waiting for the typing to pause or running.
  [[nodiscard]] bool Searching() const noexcept { return Runner.Busy(); }

  std::size_t MaxListed = DefaultMaxListed;
  std::function<void(TNodeId folder)> OnFolderFocused;
  std::function<void(const std::vector<TNodeId>& folders)> OnMatchFolders;

  QWidget* TabSheet = nullptr;
  QLineEdit* NameEdit = nullptr;
  QLineEdit* MinEdit = nullptr;
  QLineEdit* MaxEdit = nullptr;
  QLabel* MinLabel = nullptr;
  QComboBox* GroupBox = nullptr;
  QSpinBox* OlderSpin = nullptr;
  QLineEdit* ExtensionEdit = nullptr;
  QComboBox* TimeBox = nullptr;  // any time, last access or last change between the dates
  QDateEdit* FromDate = nullptr;
  QDateEdit* ToDate = nullptr;
  QTreeView* List = nullptr;
  QLabel* Status = nullptr;
  TFindResultsModel* Model = nullptr;

 private:
  void BuildControls(int dpi);
  [[nodiscard]] QLayout* BuildSecondRow();
  void FillGroups(const TFileExtDescList& groups);
  // Reads the form; false with `error` set when a field cannot be read, and false with no error
  // when the form is empty (nothing to look for).
  bool ReadQuery(TFileQuery& query, QString& error) const;
  void FormChanged();
  void Show(std::shared_ptr<const TFindOutcome> outcome);
  void ShowNothing(const QString& status);

  QTabWidget* Tabs;
  TDesktopShell& Shell;
  const TFolderTree* Tree = nullptr;
  const TFileRecordStore* Files = nullptr;
  TFindQueryRunner Runner;
  std::shared_ptr<const TFindOutcome> Outcome;  // what the list shows
  TMeasure Measure = TMeasure::Size;
};

}  // namespace Vellumetric
