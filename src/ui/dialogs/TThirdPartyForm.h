#pragma once

#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QString>
#include <QTreeWidget>
#include <vector>

namespace Vellumetric {

// One line of the notices' index: a component built into (or used by) the programs and the file
// that holds its notice, relative to the notices folder or absolute (Debian's own files).
struct TThirdPartyEntry {
  QString Name;
  QString Version;
  QString Licence;
  QString What;
  QString File;
};

// The index.tsv the packaging writes, one tab-separated entry a line; malformed lines are skipped.
[[nodiscard]] std::vector<TThirdPartyEntry> ParseThirdPartyIndex(const QString& text);

// Where the packaging put the notices: ../share/quendrix-vellumetric/notices beside the program;
// empty when that folder has no index (a build that was not installed).
[[nodiscard]] QString NoticesFolder();

// "Third-party software", opened from the About window: the software built into the programs
// with its version and licence, and the selected one's notice text.
class TThirdPartyForm final : public QDialog {
 public:
  TThirdPartyForm(QWidget* owner, const QString& noticesFolder);

  QTreeWidget* List = nullptr;
  QPlainTextEdit* Text = nullptr;
  QLabel* Intro = nullptr;
  QPushButton* CloseButton = nullptr;

 private:
  void ShowNotice(int index);

  QString Folder;
  std::vector<TThirdPartyEntry> Entries;
};

}  // namespace Vellumetric
