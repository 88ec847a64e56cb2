#include "ui/TVLMOptionsForm.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <set>

#include "filetypes/VLMOptions.h"
#include "system/PathRules.h"
#include "ui/TIconSet.h"
#include "ui/UiMetrics.h"

namespace Vellumetric {
namespace {

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

}  // namespace

TVLMOptionsForm::TVLMOptionsForm(QWidget* owner, TFileExtDescList& groups, TFileExtList& extensions,
                                 std::string databasePath, int layoutDpi, int screenDpi,
                                 TDialogPrompts prompts)
    : QDialog(owner),
      Groups(groups),
      Extensions(extensions),
      DatabasePath(std::move(databasePath)),
      Dpi(layoutDpi),
      ScreenDpi(screenDpi),
      Prompts(std::move(prompts)) {
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
  ListView1 = new QTreeWidget(this);
  ListView1->setObjectName(QStringLiteral("ListView1"));
  ListView1->setColumnCount(2);
  ListView1->setHeaderLabels({QStringLiteral("File Extension"), QString()});
  ListView1->setColumnHidden(1, true);  // the group's id, as the item's first sub-item
  ListView1->setRootIsDecorated(false);
  ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
  ListView1->setSortingEnabled(true);
  ListView1->sortByColumn(0, Qt::AscendingOrder);
  ListView1->header()->setSectionsClickable(false);
  ListView1->header()->setSortIndicatorShown(false);
  ListView1->setMinimumSize(Scaled(720, Dpi), Scaled(330, Dpi));
  connect(ListView1, &QTreeWidget::itemSelectionChanged, this, [this] { ListView1SelectItem(); });

  BuildPanel();
  SaveButton = new QPushButton(QStringLiteral("Save"), this);
  SaveButton->setObjectName(QStringLiteral("SaveButton"));
  SaveButton->hide();
  Button1 = new QPushButton(QStringLiteral("Close"), this);
  Button1->setObjectName(QStringLiteral("Button1"));
  connect(SaveButton, &QPushButton::clicked, this, [this] { SaveButtonClick(); });
  connect(Button1, &QPushButton::clicked, this, &QDialog::accept);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(SaveButton);
  buttons->addWidget(Button1);
  auto* layout = new QVBoxLayout(this);
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
  setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
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

// The edit panel: the group's name and its extension list; it covers the label and the list.
void TVLMOptionsForm::BuildPanel() {
  Panel1 = new QWidget(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Label1 = new QLabel(
      QStringLiteral("Description for file extension group (example: Document Files)"), Panel1);
  Label1->setObjectName(QStringLiteral("Label1"));
  Edit1 = new QLineEdit(Panel1);
  Edit1->setObjectName(QStringLiteral("Edit1"));
  Label2 = new QLabel(QStringLiteral("File extension (example: .doc)"), Panel1);
  Label2->setObjectName(QStringLiteral("Label2"));
  ListBox1 = new QListWidget(Panel1);
  ListBox1->setObjectName(QStringLiteral("ListBox1"));
  ListBox1->setSortingEnabled(true);
  Edit2 = new QLineEdit(Panel1);
  Edit2->setObjectName(QStringLiteral("Edit2"));
  Button3 = new QPushButton(QStringLiteral("Add"), Panel1);
  Button3->setObjectName(QStringLiteral("Button3"));
  Button4 = new QPushButton(QStringLiteral("Remove"), Panel1);
  Button4->setObjectName(QStringLiteral("Button4"));
  Button3->setEnabled(false);
  Button4->setEnabled(false);
  connect(Edit1, &QLineEdit::textChanged, this, [this] { Edit1Change(); });
  connect(Edit2, &QLineEdit::textChanged, this, [this] { Edit2Change(); });
  connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
  connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
  auto* grid = new QGridLayout(Panel1);
  grid->setContentsMargins(0, Scaled(8, Dpi), 0, 0);
  grid->addWidget(Label1, 0, 0, 1, 2);
  grid->addWidget(Edit1, 1, 0, 1, 2);
  grid->addWidget(Label2, 2, 0, 1, 2);
  grid->addWidget(Edit2, 3, 0);
  grid->addWidget(Button3, 3, 1);
  grid->addWidget(ListBox1, 4, 0, 2, 1);
  grid->addWidget(Button4, 4, 1, Qt::AlignTop);
  grid->setRowStretch(5, 1);
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
  FillList();
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

QString TVLMOptionsForm::GroupCaption(const TFileExtDescData& group,
                                      const TFileExtList& extensions) {
  std::string list;
  for (const TFileExtData& e : extensions) {
    if (e.DescID != group.ID) continue;
    if (!list.empty()) list += ", ";
    list += "*" + e.Ext;
  }
  return Q(group.Desc + " (" + list + ")");
}

QTreeWidgetItem* TVLMOptionsForm::AddItem(const TFileExtDescData& group) {
  auto* item = new QTreeWidgetItem(ListView1);
  item->setText(0, GroupCaption(group, Extensions));
  item->setText(1, QString::number(group.ID));
  item->setIcon(0, TIconSet::Icon(QStringLiteral("file"), 16));
  return item;
}

void TVLMOptionsForm::FillList() {
  ListView1->clear();
  for (const TFileExtDescData& group : Groups) AddItem(group);
}

QTreeWidgetItem* TVLMOptionsForm::SelectedItem() const {
  const QList<QTreeWidgetItem*> selected = ListView1->selectedItems();
  return selected.isEmpty() ? nullptr : selected.front();
}

std::int32_t TVLMOptionsForm::SelectedGroupIndex() const {
  const QTreeWidgetItem* item = SelectedItem();
  if (!item) return -1;
  for (std::size_t i = 0; i < Groups.size(); ++i) {
    if (QString::number(Groups[i].ID) == item->text(1)) return static_cast<std::int32_t>(i);
  }
  return -1;
}

// The view would move the selection to a neighbour; nothing is selected after a deletion, so
// Remove and Edit never act on a group the user did not pick.
void TVLMOptionsForm::DeleteSelectedItem() {
  delete SelectedItem();
  ListView1->clearSelection();
  ListView1SelectItem();
}

void TVLMOptionsForm::ListView1SelectItem() {
  const bool selected = SelectedItem() != nullptr;
  ToolButton6->setEnabled(selected);
  ToolButton1->setEnabled(selected);
}

void TVLMOptionsForm::EnterPanel() {
  Pages->setCurrentWidget(Panel1);
  ButtonActions.at(ToolButton2)->setVisible(true);
  SaveButton->show();
  for (QToolButton* b : {ToolButton3, ToolButton6, ToolButton1, Reset_ToolButton}) {
    ButtonActions.at(b)->setVisible(false);
  }
}

void TVLMOptionsForm::LeavePanel() {
  Pages->setCurrentIndex(0);
  ButtonActions.at(ToolButton2)->setVisible(false);
  SaveButton->hide();
  for (QToolButton* b : {ToolButton3, ToolButton6, ToolButton1, Reset_ToolButton}) {
    ButtonActions.at(b)->setVisible(true);
  }
}

void TVLMOptionsForm::UpdateSave() {
  SaveButton->setEnabled(ListBox1->count() > 0 && !Edit1->text().isEmpty());
}

void TVLMOptionsForm::ToolButton3Click() {
  EnterPanel();
  Edit1->clear();
  Edit2->clear();
  ListBox1->clear();
  Button4->setEnabled(false);
  AddMode = true;
  UpdateSave();
  Edit1->setFocus();
}

void TVLMOptionsForm::ToolButton1Click() {
  EditIndex = SelectedGroupIndex();
  if (EditIndex < 0) return;
  const TFileExtDescData& group = Groups[static_cast<std::size_t>(EditIndex)];
  ListBox1->clear();
  for (const TFileExtData& e : Extensions) {
    if (e.DescID == group.ID) ListBox1->addItem(Q(e.Ext));
  }
  if (ListBox1->count() == 0) {
    Button4->setEnabled(false);
  } else {
    ListBox1->setCurrentRow(0);
    Button4->setEnabled(true);
  }
  Edit1->setText(Q(group.Desc));
  Edit2->clear();
  EnterPanel();
  AddMode = false;
  UpdateSave();
}

void TVLMOptionsForm::ToolButton6Click() {
  EditIndex = SelectedGroupIndex();
  if (EditIndex < 0) return;
  const TFileExtDescData group = Groups[static_cast<std::size_t>(EditIndex)];
  if (!Prompts.Question(this,
                        QStringLiteral("Are you sure you want to remove '") + Q(group.Desc) +
                            QStringLiteral("' file extension group?"),
                        QStringLiteral("Remove File Extension Group"))) {
    return;
  }
  {
    VLMOptions db(DatabasePath, [this](const std::string& m) {
      Prompts.Notice(this, Q(m), QStringLiteral("Error"));
    });
    static_cast<void>(db.DeleteGroup(group.ID));
  }
  DeleteSelectedItem();
  Groups.erase(Groups.begin() + EditIndex);
  std::erase_if(Extensions, [&](const TFileExtData& e) { return e.DescID == group.ID; });
}

void TVLMOptionsForm::ToolButton2Click() {
  LeavePanel();
}

// The duplicate test looks at the saved extension list only, so an extension of the group
// being edited counts as included even after it was taken out of the list box.
void TVLMOptionsForm::Button3Click() {
  std::string text = Edit2->text().toStdString();
  if (text.empty() || text.front() != '.') text = std::string(".") + text;
  const auto found = std::find_if(Extensions.begin(), Extensions.end(), [&](const TFileExtData& e) {
    return EqualsIgnoreAsciiCase(e.Ext, text);
  });
  if (found != Extensions.end()) {
    std::string owner;
    for (const TFileExtDescData& g : Groups) {
      if (g.ID == found->DescID) {
        owner = g.Desc;
        break;
      }
    }
    Prompts.Notice(this, Q(text + " is already inlcluded in " + owner + " file extension group."),
                   QStringLiteral("Duplicate File extension"));
  } else {
    auto* item = new QListWidgetItem(Q(text), ListBox1);
    ListBox1->setCurrentItem(item);
  }
  UpdateSave();
}

void TVLMOptionsForm::Button4Click() {
  const int i = ListBox1->currentRow();
  if (i < 0 || !ListBox1->currentItem()->isSelected()) return;  // nothing to remove
  if (Prompts.Question(this,
                       QStringLiteral("Are you sure you want to remove '") +
                           ListBox1->currentItem()->text() + QStringLiteral("'?"),
                       QStringLiteral("Remove File Extension"))) {
    delete ListBox1->takeItem(i);
  }
  if (ListBox1->count() > 0) {
    ListBox1->setCurrentRow(std::min(i, ListBox1->count() - 1));
  } else {
    SaveButton->setEnabled(false);
  }
}

void TVLMOptionsForm::Edit1Change() {
  UpdateSave();
}

void TVLMOptionsForm::Edit2Change() {
  Button3->setEnabled(!Edit2->text().isEmpty());
}

void TVLMOptionsForm::SaveButtonClick() {
  if (ListBox1->count() == 0) {
    Prompts.Notice(this, QStringLiteral("Please add at least one file extension to the listbox"),
                   QStringLiteral("No File Extension Added"));
    return;
  }
  VLMOptions db(DatabasePath, [this](const std::string& m) {
    Prompts.Notice(this, Q(m), QStringLiteral("Error"));
  });
  // A database failure has been shown; the lists and the view take the change all the same.
  static_cast<void>(AddMode ? SaveNewGroup(db) : SaveEditedGroup(db));
  LeavePanel();
  // The saved group's item has the focus but is not selected (the view may have selected it
  // on insertion), so Remove and Edit wait for the user's pick.
  ListView1->clearSelection();
  ListView1SelectItem();
}

bool TVLMOptionsForm::SaveNewGroup(VLMOptions& db) {
  std::set<std::int32_t> used;
  for (const TFileExtDescData& g : Groups) used.insert(g.ID);
  std::int32_t id = 0;
  while (used.count(id)) ++id;
  const std::string name = Edit1->text().toStdString();
  bool ok = db.InsertGroup(id, name);
  Groups.push_back({id, name});
  for (int i = 0; i < ListBox1->count(); ++i) {
    const std::string ext = ListBox1->item(i)->text().toStdString();
    ok = db.InsertExtension(ext, id) && ok;
    Extensions.push_back({ext, id});
  }
  QTreeWidgetItem* item = AddItem(Groups.back());
  ListView1->setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
  ListView1->setFocus();
  return ok;
}

bool TVLMOptionsForm::SaveEditedGroup(VLMOptions& db) {
  if (EditIndex < 0 || static_cast<std::size_t>(EditIndex) >= Groups.size()) return false;
  TFileExtDescData& group = Groups[static_cast<std::size_t>(EditIndex)];
  const std::int32_t id = group.ID;
  const std::string name = Edit1->text().toStdString();
  bool ok = db.DeleteGroup(id) && db.InsertGroup(id, name);
  std::erase_if(Extensions, [id](const TFileExtData& e) { return e.DescID == id; });
  for (int i = 0; i < ListBox1->count(); ++i) {
    const std::string ext = ListBox1->item(i)->text().toStdString();
    ok = db.InsertExtension(ext, id) && ok;
    Extensions.push_back({ext, id});
  }
  group.Desc = name;
  DeleteSelectedItem();
  QTreeWidgetItem* item = AddItem(group);
  ListView1->setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
  ListView1->setFocus();
  return ok;
}

// The database in use lives in the data folder; a reset rebuilds it and both lists from the
// defaults. (No file outside the data folder is deleted.)
void TVLMOptionsForm::Reset_ToolButtonClick() {
  if (!Prompts.Question(
          this,
          QStringLiteral("Are you sure you want to reset file extension data back to default?"),
          QStringLiteral("Remove File Extension"))) {
    return;
  }
  {
    VLMOptions db(DatabasePath, [this](const std::string& m) {
      Prompts.Notice(this, Q(m), QStringLiteral("Error"));
    });
    static_cast<void>(db.ResetGroups());
    static_cast<void>(db.LoadGroups(Groups));
    static_cast<void>(db.ResetExtensions());
    static_cast<void>(db.LoadExtensions(Extensions));
  }
  FillList();
  ListView1SelectItem();
}

}  // namespace Vellumetric
