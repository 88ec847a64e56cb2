#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QToolBar>
#include <QToolButton>
#include <cstdint>
#include <map>
#include <string>

#include "model/TFileExtData.h"
#include "model/TFileExtDescData.h"
#include "ui/dialogs/TDialogPrompts.h"
#include "ui/dialogs/options/TGroupDatabaseWriter.h"
#include "ui/dialogs/options/TGroupEditPanel.h"
#include "ui/dialogs/options/TGroupListView.h"

namespace Vellumetric {

// The options dialog: adds, edits, removes and resets the file-extension groups. Every change
// goes to the group database at once and to the analyzer's two lists, which the dialog edits in
// place, so the next scan uses it. The group list, the edit panel and the database writes are
// parts of their own; the dialog switches between list and panel and runs the toolbar.
class TVLMOptionsForm final : public QDialog {
 public:
  // `layoutDpi` scales the layout; `screenDpi`, the screen's own resolution, picks the images.
  TVLMOptionsForm(QWidget* owner, TFileExtDescList& groups, TFileExtList& extensions,
                  std::string databasePath, int layoutDpi, int screenDpi,
                  TDialogPrompts prompts = TDialogPrompts::Standard());
  ~TVLMOptionsForm() override;

  void FormShow();
  void ListView1SelectItem();
  void ToolButton3Click();  // Add
  void ToolButton6Click();  // Remove
  void ToolButton1Click();  // Edit
  void Reset_ToolButtonClick();
  void ToolButton2Click();  // Back
  void SaveButtonClick();

  [[nodiscard]] bool IsButtonShown(const QToolButton* button) const;
  // A further page beside the groups (the exclusion rules); the dialog then shows tabs.
  void AddPage(QWidget* page, const QString& title);
  QWidget* GroupsPage = nullptr;
  class QTabWidget* Tabs = nullptr;

  QToolBar* ToolBar1 = nullptr;
  QToolButton* ToolButton3 = nullptr;
  QToolButton* ToolButton6 = nullptr;
  QToolButton* ToolButton1 = nullptr;
  QToolButton* Reset_ToolButton = nullptr;
  QToolButton* ToolButton2 = nullptr;
  QLabel* Label8 = nullptr;
  TGroupListView* ListView1 = nullptr;
  TGroupEditPanel* Panel1 = nullptr;
  QStackedWidget* Pages = nullptr;  // the list with its label, or the edit panel
  // The edit panel's controls, reached through the dialog as its callers always have.
  QLineEdit* Edit1 = nullptr;
  QListWidget* ListBox1 = nullptr;
  QLineEdit* Edit2 = nullptr;
  QPushButton* Button3 = nullptr;
  QPushButton* Button4 = nullptr;
  QPushButton* SaveButton = nullptr;
  QPushButton* Button1 = nullptr;

  std::int32_t EditIndex = -1;
  bool AddMode = false;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QToolButton* AddToolButton(const QString& caption, const QString& image, const char* name);
  void SetImages(int size);
  void EnterPanel();
  void LeavePanel();
  void UpdateSave();
  void DeleteSelectedItem();
  // The saved group's item gets the focus but is not selected (the view may have selected it
  // on insertion), so Remove and Edit wait for the user's pick.
  void FocusSavedGroup(const TFileExtDescData& group);

  TFileExtDescList& Groups;
  TFileExtList& Extensions;
  int Dpi;
  int ScreenDpi;
  TDialogPrompts Prompts;
  TGroupDatabaseWriter Writer;
  std::map<const QToolButton*, QAction*> ButtonActions;
  std::map<const QToolButton*, QString> ButtonImages;
  bool Shown = false;
};

}  // namespace Vellumetric
