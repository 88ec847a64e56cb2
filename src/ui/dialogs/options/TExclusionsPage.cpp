#include "ui/dialogs/options/TExclusionsPage.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

#include "exclude/FolderRuleCheck.h"
#include "ui/common/UiMetrics.h"

namespace Vellumetric {
namespace {

constexpr std::size_t kShownFolders = 500;

const char* KindText(TExclusionRule::TKind kind) {
  switch (kind) {
    case TExclusionRule::TKind::Path:
      return "Path";
    case TExclusionRule::TKind::Marker:
      return "Holds file";
    case TExclusionRule::TKind::Name:
      break;
  }
  return "Folder name";
}

const char* CaseText(TExclusionRule::TCase c) {
  switch (c) {
    case TExclusionRule::TCase::Sensitive:
      return "Case counts";
    case TExclusionRule::TCase::Ignored:
      return "Case ignored";
    case TExclusionRule::TCase::System:
      break;
  }
  return "As the system";
}

}  // namespace

TExclusionsPage::TExclusionsPage(QWidget* parent, TExclusionRuleList& rules,
                                 std::function<std::string(const TExclusionRuleList&)> save,
                                 const TFolderTree* tree, TPathStyle style, int dpi,
                                 TDialogPrompts prompts)
    : QWidget(parent),
      Rules(rules),
      Save(std::move(save)),
      Tree(tree && !tree->Empty() ? tree : nullptr),
      Style(style),
      Prompts(std::move(prompts)) {
  setObjectName(QStringLiteral("ExclusionsPage"));
  auto* intro = new QLabel(
      QStringLiteral("Folders these rules match are left out of a scan: listed, marked "
                     "\"excluded\", never read. Globs: * any run, ? one character, [abc] a set."),
      this);
  intro->setWordWrap(true);
  RuleList = new QTreeWidget(this);
  RuleList->setObjectName(QStringLiteral("RuleList"));
  RuleList->setRootIsDecorated(false);
  RuleList->setHeaderLabels({QStringLiteral("Rule"), QStringLiteral("Pattern"),
                             QStringLiteral("Case"), QStringLiteral("On")});
  RuleList->header()->setSectionResizeMode(1, QHeaderView::Stretch);
  KindBox = new QComboBox(this);
  for (const auto k :
       {TExclusionRule::TKind::Name, TExclusionRule::TKind::Path, TExclusionRule::TKind::Marker}) {
    KindBox->addItem(QString::fromLatin1(KindText(k)), static_cast<int>(k));
  }
  PatternEdit = new QLineEdit(this);
  PatternEdit->setObjectName(QStringLiteral("PatternEdit"));
  PatternEdit->setPlaceholderText(QStringLiteral("node_modules, */build/cache, CACHEDIR.TAG"));
  CaseBox = new QComboBox(this);
  for (const auto c : {TExclusionRule::TCase::System, TExclusionRule::TCase::Sensitive,
                       TExclusionRule::TCase::Ignored}) {
    CaseBox->addItem(QString::fromLatin1(CaseText(c)), static_cast<int>(c));
  }
  EnabledBox = new QCheckBox(QStringLiteral("Rule applies"), this);
  EnabledBox->setChecked(true);
  AddButton = new QPushButton(QStringLiteral("Add"), this);
  ChangeButton = new QPushButton(QStringLiteral("Change"), this);
  RemoveButton = new QPushButton(QStringLiteral("Remove"), this);
  CheckButton = new QPushButton(QStringLiteral("Check against this scan"), this);
  CheckButton->setObjectName(QStringLiteral("CheckButton"));
  CheckLabel = new QLabel(this);
  CheckLabel->setWordWrap(true);
  CheckList = new QListWidget(this);
  CheckList->setObjectName(QStringLiteral("CheckList"));

  auto* fields = new QFormLayout;
  fields->addRow(QStringLiteral("Rule:"), KindBox);
  fields->addRow(QStringLiteral("Pattern:"), PatternEdit);
  fields->addRow(QStringLiteral("Case:"), CaseBox);
  fields->addRow(QString(), EnabledBox);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(AddButton);
  buttons->addWidget(ChangeButton);
  buttons->addWidget(RemoveButton);
  buttons->addStretch();
  buttons->addWidget(CheckButton);
  auto* layout = new QVBoxLayout(this);
  const int gap = Scaled(8, dpi);
  layout->setContentsMargins(gap, gap, gap, gap);
  layout->addWidget(intro);
  layout->addWidget(RuleList, 2);
  layout->addLayout(fields);
  layout->addLayout(buttons);
  layout->addWidget(CheckLabel);
  layout->addWidget(CheckList, 1);

  connect(RuleList, &QTreeWidget::itemSelectionChanged, this, [this] { RowSelected(); });
  connect(PatternEdit, &QLineEdit::textChanged, this, [this] { UpdateButtons(); });
  connect(AddButton, &QPushButton::clicked, this, [this] { AddClick(); });
  connect(ChangeButton, &QPushButton::clicked, this, [this] { ChangeClick(); });
  connect(RemoveButton, &QPushButton::clicked, this, [this] { RemoveClick(); });
  connect(CheckButton, &QPushButton::clicked, this, [this] { CheckClick(); });
  CheckTimer = new QTimer(this);
  CheckTimer->setInterval(50);
  connect(CheckTimer, &QTimer::timeout, this, [this] { ShowCheck(); });
  CheckLabel->setText(Tree ? QStringLiteral("The check lists the folders of the scan shown "
                                            "last that the rules would leave out.")
                           : QStringLiteral("Scan a drive or folder to check the rules on it."));
  Fill();
}

TExclusionsPage::~TExclusionsPage() {
  StopCheck.store(true);
  if (Check.valid()) Check.wait();
}

void TExclusionsPage::Fill() {
  RuleList->clear();
  for (const TExclusionRule& r : Rules) {
    auto* item = new QTreeWidgetItem(RuleList);
    item->setText(0, QString::fromLatin1(KindText(r.Kind)));
    item->setText(1, QString::fromStdString(r.Pattern));
    item->setText(2, QString::fromLatin1(CaseText(r.Case)));
    item->setText(3, r.Enabled ? QStringLiteral("Yes") : QStringLiteral("No"));
  }
  RuleList->resizeColumnToContents(0);
  UpdateButtons();
}

void TExclusionsPage::RowSelected() {
  const int row = RuleList->indexOfTopLevelItem(RuleList->currentItem());
  if (row >= 0 && static_cast<std::size_t>(row) < Rules.size()) {
    const TExclusionRule& r = Rules[static_cast<std::size_t>(row)];
    KindBox->setCurrentIndex(KindBox->findData(static_cast<int>(r.Kind)));
    PatternEdit->setText(QString::fromStdString(r.Pattern));
    CaseBox->setCurrentIndex(CaseBox->findData(static_cast<int>(r.Case)));
    EnabledBox->setChecked(r.Enabled);
  }
  UpdateButtons();
}

void TExclusionsPage::UpdateButtons() {
  const bool selected = !RuleList->selectedItems().isEmpty();
  const bool pattern = !PatternEdit->text().trimmed().isEmpty();
  AddButton->setEnabled(pattern);
  ChangeButton->setEnabled(selected && pattern);
  RemoveButton->setEnabled(selected);
  CheckButton->setEnabled(Tree != nullptr && !Rules.empty() && !Check.valid());
}

TExclusionRule TExclusionsPage::RuleFromFields() const {
  TExclusionRule rule;
  rule.Kind = static_cast<TExclusionRule::TKind>(KindBox->currentData().toInt());
  rule.Pattern = PatternEdit->text().trimmed().toStdString();
  rule.Case = static_cast<TExclusionRule::TCase>(CaseBox->currentData().toInt());
  rule.Enabled = EnabledBox->isChecked();
  return rule;
}

// Written at once; a failure is shown and the rule stays for this session.
void TExclusionsPage::Store() {
  const std::string error = Save ? Save(Rules) : std::string();
  if (!error.empty()) {
    Prompts.Notice(this, QString::fromStdString("The rules could not be saved: " + error),
                   QStringLiteral("Exclusions"));
  }
  Fill();
}

void TExclusionsPage::AddClick() {
  Rules.push_back(RuleFromFields());
  Store();
  RuleList->setCurrentItem(RuleList->topLevelItem(RuleList->topLevelItemCount() - 1));
}

void TExclusionsPage::ChangeClick() {
  const int row = RuleList->indexOfTopLevelItem(RuleList->currentItem());
  if (row < 0 || static_cast<std::size_t>(row) >= Rules.size()) return;
  Rules[static_cast<std::size_t>(row)] = RuleFromFields();
  Store();
  RuleList->setCurrentItem(RuleList->topLevelItem(row));
}

void TExclusionsPage::RemoveClick() {
  const int row = RuleList->indexOfTopLevelItem(RuleList->currentItem());
  if (row < 0 || static_cast<std::size_t>(row) >= Rules.size()) return;
  Rules.erase(Rules.begin() + row);
  Store();
}

// The rule selected, or every rule when none is; folders the scan already left out count too.
void TExclusionsPage::CheckClick() {
  if (!Tree || Check.valid()) return;
  TExclusionRuleList checked;
  const QList<QTreeWidgetItem*> selected = RuleList->selectedItems();
  const int row = selected.isEmpty() ? -1 : RuleList->indexOfTopLevelItem(selected.front());
  CheckedOne = row >= 0 && static_cast<std::size_t>(row) < Rules.size();
  if (CheckedOne) {
    checked.push_back(Rules[static_cast<std::size_t>(row)]);
    checked.back().Enabled = true;
  } else {
    checked = Rules;
  }
  CheckList->clear();
  CheckLabel->setText(QStringLiteral("Checking..."));
  StopCheck.store(false);
  Check = std::async(std::launch::async, [this, checked, tree = Tree, style = Style] {
    const TExclusionRules rules(checked, style);
    return FoldersRulesLeaveOut(*tree, rules, kShownFolders, [this] { return StopCheck.load(); });
  });
  CheckTimer->start();
  UpdateButtons();
}

void TExclusionsPage::ShowCheck() {
  if (!Check.valid() || Check.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
    return;
  }
  CheckTimer->stop();
  const std::vector<TNodeId> found = Check.get();
  for (const TNodeId n : found) {
    CheckList->addItem(QString::fromStdString(Tree->Data(n).Path.Str()));
  }
  const QString by = CheckedOne ? QStringLiteral("the selected rule") : QStringLiteral("the rules");
  const QString count = found.size() >= kShownFolders
                            ? QStringLiteral("At least %1").arg(found.size())
                            : QString::number(found.size());
  CheckLabel->setText(
      found.empty()
          ? QStringLiteral("No folder of this scan would be left out by %1.").arg(by)
          : QStringLiteral("%1 folders of this scan would be left out by %2:").arg(count, by));
  UpdateButtons();
}

}  // namespace Vellumetric
