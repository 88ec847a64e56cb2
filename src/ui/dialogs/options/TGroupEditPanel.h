#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "model/TFileExtData.h"
#include "model/TFileExtDescData.h"
#include "ui/dialogs/TDialogPrompts.h"

namespace Vellumetric {

// The options dialog's edit panel: the name of a group and its extension list, edited here until
// the dialog saves them. It covers the group list while shown. Nothing is written from here.
class TGroupEditPanel final : public QWidget {
 public:
  // `dialog` is the panel's first parent and the owner of its message boxes; `groups` and
  // `extensions` are the saved lists, which decide whether an extension is taken.
  TGroupEditPanel(QWidget* dialog, int dpi, const TFileExtDescList& groups,
                  const TFileExtList& extensions, TDialogPrompts prompts);

  // Empty, for a new group.
  void StartNew();
  // Filled with `group` and its saved extensions, the first one current.
  void StartEdit(const TFileExtDescData& group);
  void Button3Click();  // add extension
  void Button4Click();  // remove extension

  // A name and at least one extension.
  [[nodiscard]] bool CanSave() const;
  [[nodiscard]] std::string GroupName() const;
  [[nodiscard]] std::vector<std::string> ExtensionTexts() const;

  // Runs when what CanSave() says may have changed.
  std::function<void()> Changed;

  QLabel* Label1 = nullptr;
  QLineEdit* Edit1 = nullptr;
  QLabel* Label2 = nullptr;
  QListWidget* ListBox1 = nullptr;
  QLineEdit* Edit2 = nullptr;
  QPushButton* Button3 = nullptr;
  QPushButton* Button4 = nullptr;

 protected:
  // Return in the extension box adds the extension instead of pressing the dialog's Save.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void NotifyChanged();

  QWidget* Dialog;
  const TFileExtDescList& Groups;
  const TFileExtList& Extensions;
  TDialogPrompts Prompts;
};

}  // namespace Vellumetric
