#include "ui/dialogs/options/TVLMOptionsForm.h"

#include <QHBoxLayout>
#include <QStackedWidget>
#include <QTabWidget>
#include <QVBoxLayout>

#include "ui/common/UiMetrics.h"
#include "ui/services/TIconSet.h"

namespace Vellumetric {

TVLMOptionsForm::TVLMOptionsForm(QWidget* owner, TFileExtDescList& groups, TFileExtList& extensions,
                                 std::string databasePath, int layoutDpi, int screenDpi,
                                 TDialogPrompts prompts)
    : QDialog(owner),
      Groups(groups),
      Extensions(extensions),
      Dpi(layoutDpi),
      ScreenDpi(screenDpi),
      Prompts(std::move(prompts)),
      Writer(groups, extensions, std::move(databasePath), [this](const std::string& m) {
        Prompts.Notice(this, QString::fromStdString(m), QStringLiteral("Error"));
      }) {
  setObjectName(QStringLiteral("TVLMOptionsForm"));
  setWindowTitle(QStringLiteral("Options"));
  setFont(TahomaFont(8));
  ToolBar1 = new QToolBar(this);
  ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
  ToolButton3 = AddToolButton(QStringLiteral(" Add "), QStringLiteral("add"), "ToolButton3");
  ToolButton6 = AddToolButton(QStringLiteral(" Remove "), QStringLiteral("remove"), "ToolButton6");
  ToolButton1 = AddToolButton(QStringLiteral(" Edit "), QStringLiteral("edit"), "ToolButton1");
  Reset_ToolButton = AddToolButton(QStringLiteral(" Reset to Default "), QStringLiteral("reset"),
                                   "Reset_ToolButton");
  ToolButton2 = AddToolButton(QStringLiteral(" Back "), QStringLiteral("back"), "ToolButton2");
  ToolButton6->setEnabled(false);
  ToolButton1->setEnabled(false);
  ButtonActions.at(ToolButton2)->setVisible(false);

  Label8 = new QLabel(
      QStringLiteral(
          "Manage list of file extension recognizedby the program during the scan process"),
      this);
  Label8->setObjectName(QStringLiteral("Label8"));
  ListView1 = new TGroupListView(this, Dpi);
  connect(ListView1, &QTreeWidget::itemSelectionChanged, this, [this] { ListView1SelectItem(); });

  Panel1 = new TGroupEditPanel(this, Dpi, Groups, Extensions, Prompts);
  Edit1 = Panel1->Edit1;
  ListBox1 = Panel1->ListBox1;
  Edit2 = Panel1->Edit2;
  Button3 = Panel1->Button3;
  Button4 = Panel1->Button4;
  SaveButton = new QPushButton(QStringLiteral("Save"), this);
  SaveButton->setObjectName(QStringLiteral("SaveButton"));
  SaveButton->hide();
  Panel1->Changed = [this] { UpdateSave(); };
  Button1 = new QPushButton(QStringLiteral("Close"), this);
  Button1->setObjectName(QStringLiteral("Button1"));
  connect(SaveButton, &QPushButton::clicked, this, [this] { SaveButtonClick(); });
  connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
  Button1->setDefault(true);  // Return closes the list; in the edit panel it saves

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(SaveButton);
  buttons->addWidget(Button1);
  // The groups page fills the dialog until another page joins it (AddPage).
  GroupsPage = new QWidget(this);
  auto* layout = new QVBoxLayout(GroupsPage);
  layout->setContentsMargins(0, 0, 0, Scaled(8, Dpi));
  layout->addWidget(ToolBar1);
  auto* body = new QVBoxLayout;
  body->setContentsMargins(Scaled(8, Dpi), 0, Scaled(8, Dpi), 0);
  // The edit panel takes the place of the label and the list, at the same size.
  auto* listPage = new QWidget(this);
  auto* listLayout = new QVBoxLayout(listPage);
  listLayout->setContentsMargins(0, 0, 0, 0);
  listLayout->addWidget(Label8);
  listLayout->addWidget(ListView1, 1);
  Pages = new QStackedWidget(this);
  Pages->addWidget(listPage);
  Pages->addWidget(Panel1);
  body->addWidget(Pages, 1);
  body->addLayout(buttons);
  layout->addLayout(body, 1);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->addWidget(GroupsPage);
  setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
}

void TVLMOptionsForm::AddPage(QWidget* page, const QString& title) {
  if (!Tabs) {
    Tabs = new QTabWidget(this);
    Tabs->setObjectName(QStringLiteral("OptionsPages"));
    layout()->removeWidget(GroupsPage);
    Tabs->addTab(GroupsPage, QStringLiteral("File Types"));
    layout()->addWidget(Tabs);
  }
  Tabs->addTab(page, title);
}

TVLMOptionsForm::~TVLMOptionsForm() = default;

QToolButton* TVLMOptionsForm::AddToolButton(const QString& caption, const QString& image,
                                            const char* name) {
  auto* button = new QToolButton(ToolBar1);
  button->setObjectName(QString::fromLatin1(name));
  button->setText(caption);
  button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  button->setAutoRaise(true);
  ButtonActions[button] = ToolBar1->addWidget(button);
  ButtonImages[button] = image;
  connect(button, &QToolButton::clicked, this, [this, button] {
    if (button == ToolButton3) ToolButton3Click();
    if (button == ToolButton6) ToolButton6Click();
    if (button == ToolButton1) ToolButton1Click();
    if (button == Reset_ToolButton) Reset_ToolButtonClick();
    if (button == ToolButton2) ToolButton2Click();
  });
  return button;
}

void TVLMOptionsForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!Shown) {
    Shown = true;
    FormShow();
  }
}

void TVLMOptionsForm::FormShow() {
  SetImages(IsLargeResolution(ScreenDpi) ? 32 : 16);
  ListView1->Fill(Groups, Extensions);
  layout()->activate();
  setFixedSize(minimumSizeHint());
}

// 16 x 16 images; 32 x 32 on a screen above 100 pixels per inch, the toolbar as high as Add.
void TVLMOptionsForm::SetImages(int size) {
  for (const auto& [button, image] : ButtonImages) {
    auto* b = const_cast<QToolButton*>(button);
    b->setIcon(TIconSet::Icon(image, size));
    b->setIconSize(QSize(size, size));  // a button added as a widget does not follow the bar
  }
  ToolBar1->setIconSize(QSize(size, size));
  if (size == 32) ToolBar1->setFixedHeight(ToolButton3->sizeHint().height());
}

bool TVLMOptionsForm::IsButtonShown(const QToolButton* button) const {
  return ButtonActions.at(button)->isVisible();
}

// The view would move the selection to a neighbour; nothing is selected after a deletion, so
// Remove and Edit never act on a group the user did not pick.
void TVLMOptionsForm::DeleteSelectedItem() {
  ListView1->DeleteSelectedItem();
  ListView1SelectItem();
}

void TVLMOptionsForm::ListView1SelectItem() {
  const bool selected = ListView1->SelectedItem() != nullptr;
  ToolButton6->setEnabled(selected);
  ToolButton1->setEnabled(selected);
}

void TVLMOptionsForm::EnterPanel() {
  Pages->setCurrentWidget(Panel1);
  ButtonActions.at(ToolButton2)->setVisible(true);
  SaveButton->show();
  SaveButton->setDefault(true);
  for (QToolButton* b : {ToolButton3, ToolButton6, ToolButton1, Reset_ToolButton}) {
    ButtonActions.at(b)->setVisible(false);
  }
}

void TVLMOptionsForm::LeavePanel() {
  Pages->setCurrentIndex(0);
  ButtonActions.at(ToolButton2)->setVisible(false);
  SaveButton->hide();
  Button1->setDefault(true);
  for (QToolButton* b : {ToolButton3, ToolButton6, ToolButton1, Reset_ToolButton}) {
    ButtonActions.at(b)->setVisible(true);
  }
}

void TVLMOptionsForm::UpdateSave() {
  SaveButton->setEnabled(Panel1->CanSave());
}

void TVLMOptionsForm::ToolButton3Click() {
  EnterPanel();
  Panel1->StartNew();
  AddMode = true;
  UpdateSave();
  Edit1->setFocus();
}

void TVLMOptionsForm::ToolButton1Click() {
  EditIndex = ListView1->SelectedGroupIndex(Groups);
  if (EditIndex < 0) return;
  Panel1->StartEdit(Groups[static_cast<std::size_t>(EditIndex)]);
  EnterPanel();
  AddMode = false;
  UpdateSave();
}

void TVLMOptionsForm::ToolButton6Click() {
  EditIndex = ListView1->SelectedGroupIndex(Groups);
  if (EditIndex < 0) return;
  const QString name = QString::fromStdString(Groups[static_cast<std::size_t>(EditIndex)].Desc);
  if (!Prompts.Question(this,
                        QStringLiteral("Are you sure you want to remove '") + name +
                            QStringLiteral("' file extension group?"),
                        QStringLiteral("Remove File Extension Group"))) {
    return;
  }
  Writer.RemoveGroup(static_cast<std::size_t>(EditIndex));
  DeleteSelectedItem();
}

void TVLMOptionsForm::ToolButton2Click() {
  LeavePanel();
}

void TVLMOptionsForm::SaveButtonClick() {
  if (ListBox1->count() == 0) {
    Prompts.Notice(this, QStringLiteral("Please add at least one file extension to the listbox"),
                   QStringLiteral("No File Extension Added"));
    return;
  }
  // A database failure has been shown; the lists and the view take the change all the same.
  if (AddMode) {
    Writer.AddGroup(Panel1->GroupName(), Panel1->ExtensionTexts());
    FocusSavedGroup(Groups.back());
  } else if (Writer.ReplaceGroup(EditIndex, Panel1->GroupName(), Panel1->ExtensionTexts())) {
    DeleteSelectedItem();
    FocusSavedGroup(Groups[static_cast<std::size_t>(EditIndex)]);
  }
  LeavePanel();
  ListView1->clearSelection();
  ListView1SelectItem();
}

void TVLMOptionsForm::FocusSavedGroup(const TFileExtDescData& group) {
  QTreeWidgetItem* item = ListView1->AddGroup(group, Extensions);
  ListView1->setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
  ListView1->setFocus();
}

void TVLMOptionsForm::Reset_ToolButtonClick() {
  if (!Prompts.Question(
          this,
          QStringLiteral("Are you sure you want to reset file extension data back to default?"),
          QStringLiteral("Remove File Extension"))) {
    return;
  }
  Writer.ResetToDefaults();
  ListView1->Fill(Groups, Extensions);
  ListView1SelectItem();
}

}  // namespace Vellumetric
