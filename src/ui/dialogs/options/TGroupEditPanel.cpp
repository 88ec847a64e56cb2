#include "ui/dialogs/options/TGroupEditPanel.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <algorithm>

#include "system/PathRules.h"
#include "ui/common/UiMetrics.h"

namespace Vellumetric {

TGroupEditPanel::TGroupEditPanel(QWidget* dialog, int dpi, const TFileExtDescList& groups,
                                 const TFileExtList& extensions, TDialogPrompts prompts)
    : QWidget(dialog),
      Dialog(dialog),
      Groups(groups),
      Extensions(extensions),
      Prompts(std::move(prompts)) {
  setObjectName(QStringLiteral("Panel1"));
  Label1 = new QLabel(
      QStringLiteral("Description for file extension group (example: Document Files)"), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Edit1 = new QLineEdit(this);
  Edit1->setObjectName(QStringLiteral("Edit1"));
  Label2 = new QLabel(QStringLiteral("File extension (example: .doc)"), this);
  Label2->setObjectName(QStringLiteral("Label2"));
  ListBox1 = new QListWidget(this);
  ListBox1->setObjectName(QStringLiteral("ListBox1"));
  ListBox1->setSortingEnabled(true);
  Edit2 = new QLineEdit(this);
  Edit2->setObjectName(QStringLiteral("Edit2"));
  Button3 = new QPushButton(QStringLiteral("Add"), this);
  Button3->setObjectName(QStringLiteral("Button3"));
  Button4 = new QPushButton(QStringLiteral("Remove"), this);
  Button4->setObjectName(QStringLiteral("Button4"));
  Button3->setEnabled(false);
  Button4->setEnabled(false);
  connect(Edit1, &QLineEdit::textChanged, this, [this] { NotifyChanged(); });
  connect(Edit2, &QLineEdit::textChanged, this,
          [this] { Button3->setEnabled(!Edit2->text().isEmpty()); });
  connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
  connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
  Edit2->installEventFilter(this);
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, Scaled(8, dpi), 0, 0);
  grid->addWidget(Label1, 0, 0, 1, 2);
  grid->addWidget(Edit1, 1, 0, 1, 2);
  grid->addWidget(Label2, 2, 0, 1, 2);
  grid->addWidget(Edit2, 3, 0);
  grid->addWidget(Button3, 3, 1);
  grid->addWidget(ListBox1, 4, 0, 2, 1);
  grid->addWidget(Button4, 4, 1, Qt::AlignTop);
  grid->setRowStretch(5, 1);
}

void TGroupEditPanel::NotifyChanged() {
  if (Changed) Changed();
}

bool TGroupEditPanel::CanSave() const {
  return ListBox1->count() > 0 && !Edit1->text().isEmpty();
}

std::string TGroupEditPanel::GroupName() const {
  return Edit1->text().toStdString();
}

std::vector<std::string> TGroupEditPanel::ExtensionTexts() const {
  std::vector<std::string> texts;
  for (int i = 0; i < ListBox1->count(); ++i) {
    texts.push_back(ListBox1->item(i)->text().toStdString());
  }
  return texts;
}

void TGroupEditPanel::StartNew() {
  Edit1->clear();
  Edit2->clear();
  ListBox1->clear();
  Button4->setEnabled(false);
}

void TGroupEditPanel::StartEdit(const TFileExtDescData& group) {
  ListBox1->clear();
  for (const TFileExtData& e : Extensions) {
    if (e.DescID == group.ID) ListBox1->addItem(QString::fromStdString(e.Ext));
  }
  if (ListBox1->count() == 0) {
    Button4->setEnabled(false);
  } else {
    ListBox1->setCurrentRow(0);
    Button4->setEnabled(true);
  }
  Edit1->setText(QString::fromStdString(group.Desc));
  Edit2->clear();
}

// The duplicate test looks at the saved extension list only, so an extension of the group
// being edited counts as included even after it was taken out of the list box.
void TGroupEditPanel::Button3Click() {
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
    Prompts.Notice(Dialog,
                   QString::fromStdString(text + " is already inlcluded in " + owner +
                                          " file extension group."),
                   QStringLiteral("Duplicate File extension"));
  } else {
    auto* item = new QListWidgetItem(QString::fromStdString(text), ListBox1);
    ListBox1->setCurrentItem(item);
  }
  NotifyChanged();
}

void TGroupEditPanel::Button4Click() {
  const int i = ListBox1->currentRow();
  if (i < 0 || !ListBox1->currentItem()->isSelected()) return;  // nothing to remove
  if (Prompts.Question(Dialog,
                       QStringLiteral("Are you sure you want to remove '") +
                           ListBox1->currentItem()->text() + QStringLiteral("'?"),
                       QStringLiteral("Remove File Extension"))) {
    delete ListBox1->takeItem(i);
  }
  if (ListBox1->count() > 0) {
    ListBox1->setCurrentRow(std::min(i, ListBox1->count() - 1));
  } else {
    NotifyChanged();  // nothing left to save
  }
}

bool TGroupEditPanel::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Edit2 && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      if (Button3->isEnabled()) Button3->click();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace Vellumetric
