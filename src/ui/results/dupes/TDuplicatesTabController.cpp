#include "ui/results/dupes/TDuplicatesTabController.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLocale>
#include <QVBoxLayout>

#include "model/VLMMessages.h"
#include "system/Formatting.h"
#include "system/NativePlatform.h"
#include "ui/common/UiMetrics.h"
#include "ui/results/TShareBarDelegate.h"

namespace Vellumetric {
namespace {

const QString kHint = QStringLiteral(
    "Finds files and folders with the same content. Files are only read: nothing is deleted, "
    "moved or linked.");

QString Size(std::uint64_t bytes) {
  const QLocale locale = QLocale::system();
  return QString::fromStdString(FormatSize(bytes, 1, locale.decimalPoint().toStdString()))
      .trimmed();
}

QString Count(std::uint64_t n, const char* one, const char* many) {
  return QStringLiteral("%1 %2").arg(QLocale::system().toString(static_cast<qulonglong>(n)),
                                     QString::fromLatin1(n == 1 ? one : many));
}

QString OutcomeText(const TDuplicateResult& r) {
  QString text = QStringLiteral("%1, %2, %3 wasted on disk.")
                     .arg(Count(r.Groups.size(), "group", "groups"),
                          Count(r.Copies, "copy", "copies"), Size(r.Wasted));
  if (r.Stopped) text = QStringLiteral("Cancelled; found until then: ") + text;
  if (r.LeftOut > 0) {
    text += QStringLiteral(" %1 left out: changed, vanished or unreadable while compared.")
                .arg(Count(r.LeftOut, "file", "files"));
  }
  if (r.OnlineOnly > 0) {
    text += QStringLiteral(" %1 online only, not compared: reading would download them.")
                .arg(Count(r.OnlineOnly, "file", "files"));
  }
  return text + QStringLiteral(" Nothing is deleted, moved or linked.");
}

}  // namespace

TDuplicatesTabController::TDuplicatesTabController(QTabWidget* tabs, TDesktopShell& shell,
                                                   std::atomic<bool>& busy, int dpi)
    : QObject(tabs), Tabs(tabs), Shell(shell), Busy(busy) {
  BuildControls(dpi);
  tabs->addTab(TabSheet, QStringLiteral("Duplicates"));
  tabs->setTabVisible(tabs->indexOf(TabSheet), false);
  Ticker.setInterval(100);
  connect(&Ticker, &QTimer::timeout, this, [this] { Tick(); });
  connect(FindButton, &QPushButton::clicked, this, [this] { FindClick(); });
  connect(CancelButton, &QPushButton::clicked, this, [this] { Cancel(); });
  connect(List->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) { RowChosen(current); });
  connect(List, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
    const std::string path = Model->PathAt(index);
    if (!path.empty()) Shell.ShowItemInFolder(path);
  });
}

TDuplicatesTabController::~TDuplicatesTabController() {
  StopWorker();
}

void TDuplicatesTabController::BuildControls(int dpi) {
  TabSheet = new QWidget;
  TabSheet->setObjectName(QStringLiteral("DuplicatesTabSheet"));
  FindButton = new QPushButton(QStringLiteral("&Find Duplicates"), TabSheet);
  FindButton->setObjectName(QStringLiteral("FindDuplicates"));
  MinSizeBox = new QComboBox(TabSheet);
  MinSizeBox->setObjectName(QStringLiteral("DuplicatesMinSize"));
  const std::pair<const char*, qulonglong> sizes[] = {
      {"any size", 1},      {"1 KB", 1ULL << 10},   {"100 KB", 100ULL << 10},
      {"1 MB", 1ULL << 20}, {"10 MB", 10ULL << 20}, {"100 MB", 100ULL << 20},
      {"1 GB", 1ULL << 30}};
  for (const auto& [text, bytes] : sizes) MinSizeBox->addItem(QString::fromLatin1(text), bytes);
  auto* minLabel = new QLabel(QStringLiteral("Files of &at least"), TabSheet);
  minLabel->setBuddy(MinSizeBox);
  ByteCheckBox = new QCheckBox(QStringLiteral("Compare &byte for byte"), TabSheet);
  ByteCheckBox->setObjectName(QStringLiteral("DuplicatesByteCheck"));
  ByteCheckBox->setChecked(true);
  ByteCheckBox->setToolTip(
      QStringLiteral("Off: copies are told by XXH3-128 hashes of their bytes alone, which is "
                     "faster where most files are copies, with a vanishingly small chance of a "
                     "wrong group."));
  Progress = new QProgressBar(TabSheet);
  Progress->setObjectName(QStringLiteral("DuplicatesProgress"));
  Progress->setRange(0, 1000);
  Progress->setTextVisible(false);
  CancelButton = new QPushButton(QStringLiteral("Cancel"), TabSheet);
  CancelButton->setObjectName(QStringLiteral("DuplicatesCancel"));
  auto* form = new QHBoxLayout;
  form->addWidget(FindButton);
  form->addWidget(minLabel);
  form->addWidget(MinSizeBox);
  form->addWidget(ByteCheckBox);
  form->addWidget(Progress, 1);
  form->addWidget(CancelButton);
  form->addStretch(0);

  Model = new TDuplicatesModel(this);
  List = new QTreeView(TabSheet);
  List->setObjectName(QStringLiteral("DuplicatesList"));
  List->setModel(Model);
  List->setItemDelegate(new TShareBarDelegate(List));
  List->setUniformRowHeights(true);
  List->setSelectionBehavior(QAbstractItemView::SelectRows);
  List->setEditTriggers(QAbstractItemView::NoEditTriggers);
  QHeaderView* header = List->header();
  header->setStretchLastSection(false);
  header->setSectionResizeMode(0, QHeaderView::Stretch);
  const int widths[] = {400, 90, 90, 90};
  for (int c = 1; c < 4; ++c) header->resizeSection(c, Scaled(widths[c], dpi, 96));
  Status = new QLabel(kHint, TabSheet);
  Status->setObjectName(QStringLiteral("DuplicatesStatus"));
  Status->setWordWrap(true);
  Status->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* layout = new QVBoxLayout(TabSheet);
  layout->addLayout(form);
  layout->addWidget(List, 1);
  layout->addWidget(Status);
  SetRunning(false);
}

void TDuplicatesTabController::ScanStarting() {
  StopWorker();
  StartPending = false;
  Ticker.stop();
  SetRunning(false);
  Model->Detach();
  Tree = nullptr;
  Files = nullptr;
  Status->setText(kHint);
  Tabs->setTabVisible(Tabs->indexOf(TabSheet), false);
}

void TDuplicatesTabController::ScanFinished(const TFolderTree& tree,
                                            const TFileRecordStore& files) {
  Tree = &tree;
  Files = &files;
  Tabs->setTabVisible(Tabs->indexOf(TabSheet), true);
}

void TDuplicatesTabController::FindClick() {
  if (Files == nullptr || Searching()) return;
  if (SlotFree()) {
    StartSearch();
    return;
  }
  StartPending = true;
  SetRunning(true);
  Status->setText(QStringLiteral("Waiting for the summary to finish..."));
  Ticker.start();
}

void TDuplicatesTabController::Cancel() {
  if (StartPending) {
    StartPending = false;
    Ticker.stop();
    SetRunning(false);
    Status->setText(kHint);
  }
  if (Worker) {
    Worker->Terminate();
    Status->setText(QStringLiteral("Cancelling..."));
  }
}

void TDuplicatesTabController::StartSearch() {
  StartPending = false;
  Model->Detach();
  if (OnMarkFolders) OnMarkFolders({});
  Bridge = std::make_unique<TQtThreadBridge>();
  Worker = std::make_unique<TDuplicateSearchThread>(*Bridge, ContentSource());
  Worker->Files = Files;
  Worker->Tree = Tree;
  Worker->Style = NativePathStyle();
  Worker->Options.MinSize = MinSizeBox->currentData().toULongLong();
  Worker->Options.ByteCheck = ByteCheckBox->isChecked();
  Worker->Options.Folders = true;
  Worker->Options.Background = true;
  Worker->Busy = &Busy;
  Worker->NotifyWindow = HandleOf(this);
  Busy.store(true);  // up before the worker starts, so Back and closing wait for it
  Progress->setValue(0);
  Status->setText(QStringLiteral("Comparing files of equal size..."));
  SetRunning(true);
  Worker->Resume();
  Ticker.start();
}

void TDuplicatesTabController::Tick() {
  if (StartPending) {
    if (SlotFree()) StartSearch();
    return;
  }
  if (!Worker) return;
  const TDuplicateProgress& p = Worker->Progress;
  const std::uint64_t read = p.BytesRead.load();
  const std::uint64_t all = std::max(read, p.BytesToRead.load());
  Progress->setValue(all == 0 ? 0 : static_cast<int>(read * 1000 / all));
  if (Worker->Terminated()) return;  // "Cancelling..." stays
  Status->setText(QStringLiteral("%1 of %2 read, %3 so far")
                      .arg(Size(read), Size(all), Count(p.Groups.load(), "group", "groups")));
}

bool TDuplicatesTabController::event(QEvent* event) {
  if (event->type() != static_cast<QEvent::Type>(WM_DUPLICATES_FINISHED)) {
    return QObject::event(event);
  }
  Finished();
  return true;
}

// Only the end of the search now running counts: a late message of one stopped and replaced
// must not end its successor.
void TDuplicatesTabController::Finished() {
  if (!Worker || !Bridge->EndMessagePosted()) return;
  auto result = std::make_shared<TDuplicateResult>(std::move(Worker->Result));
  StopWorker();
  Ticker.stop();
  SetRunning(false);
  Model->Attach(std::move(result), Files, Tree, NativePathStyle());
  Status->setText(OutcomeText(*Model->Result()));
}

void TDuplicatesTabController::StopWorker() {
  if (!Worker) return;
  Worker->Terminate();
  Bridge->WaitForEndMessage();
  Worker.reset();
  Bridge.reset();
}

void TDuplicatesTabController::SetRunning(bool running) {
  FindButton->setEnabled(!running);
  MinSizeBox->setEnabled(!running);
  ByteCheckBox->setEnabled(!running);
  Progress->setVisible(running);
  CancelButton->setVisible(running);
}

void TDuplicatesTabController::RowChosen(const QModelIndex& current) {
  const TNodeId folder = Model->FolderAt(current);
  if (folder == NoNode) return;
  if (OnFolderFocused) OnFolderFocused(folder);
  if (OnMarkFolders) OnMarkFolders(Model->GroupFolders(current));
}

}  // namespace Vellumetric
