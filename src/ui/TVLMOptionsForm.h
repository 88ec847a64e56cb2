#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <cstdint>
#include <map>
#include <string>

#include "model/TFileExtData.h"
#include "model/TFileExtDescData.h"
#include "ui/TDialogPrompts.h"

namespace Vellumetric {

class VLMOptions;

// The options dialog: adds, edits, removes and resets the file-extension groups. Every change
// goes to the group database at once (one VLMOptions per action) and to the analyzer's two
// lists, which the dialog edits in place, so the next scan uses it.
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
  void Button3Click();      // add extension
  void Button4Click();      // remove extension
  void Edit1Change();
  void Edit2Change();
  void SaveButtonClick();

  [[nodiscard]] bool IsButtonShown(const QToolButton* button) const;
  // The list item caption of a group: "Font Files (*.fnt, *.fon, *.otf, *.ttf)".
  [[nodiscard]] static QString GroupCaption(const TFileExtDescData& group,
                                            const TFileExtList& extensions);

  QToolBar* ToolBar1 = nullptr;
  QToolButton* ToolButton3 = nullptr;
  QToolButton* ToolButton6 = nullptr;
  QToolButton* ToolButton1 = nullptr;
  QToolButton* Reset_ToolButton = nullptr;
  QToolButton* ToolButton2 = nullptr;
  QLabel* Label8 = nullptr;
  QTreeWidget* ListView1 = nullptr;
  QWidget* Panel1 = nullptr;
  QStackedWidget* Pages = nullptr;  // the list with its label, or the edit panel
  QLabel* Label1 = nullptr;
  QLineEdit* Edit1 = nullptr;
  QLabel* Label2 = nullptr;
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
  void BuildPanel();
  void SetImages(int size);
  void FillList();
  QTreeWidgetItem* AddItem(const TFileExtDescData& group);
  void EnterPanel();
  void LeavePanel();
  void UpdateSave();
  [[nodiscard]] QTreeWidgetItem* SelectedItem() const;
  void DeleteSelectedItem();
  // The index in the group list of the selected item's group; -1 when there is none.
  [[nodiscard]] std::int32_t SelectedGroupIndex() const;
  [[nodiscard]] bool SaveNewGroup(VLMOptions& db);
  [[nodiscard]] bool SaveEditedGroup(VLMOptions& db);

  TFileExtDescList& Groups;
  TFileExtList& Extensions;
  std::string DatabasePath;
  int Dpi;
  int ScreenDpi;
  TDialogPrompts Prompts;
  std::map<const QToolButton*, QAction*> ButtonActions;
  std::map<const QToolButton*, QString> ButtonImages;
  bool Shown = false;
};

}  // namespace Vellumetric
