#include "ui/results/changes/TChangesTab.h"

#include <algorithm>

#include <QCoreApplication>
#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLocale>
#include <QMetaObject>
#include <QVBoxLayout>

#include "history/ScanComparison.h"
#include "system/Formatting.h"
#include "system/NativePlatform.h"
#include "ui/common/UiMetrics.h"
#include "ui/results/ShareBarList.h"

namespace Vellumetric {

struct TChangesTab::TListing {
  std::string Error;
  std::string Notice;
  std::vector<TScanSnapshot> Earlier;
  // Read from the history for two stored scans: without its folders, and how many it has.
  TScanSnapshot Newer;
  std::size_t NewerFolders = 0;
};

struct TChangesTab::TComparison {
  TScanSnapshot From;  // without its folders once compared: a copy of a whole tree
  // Each of the newer scan's folders: its change since From, or NewFolder when From lacks it.
  std::vector<std::int64_t> FolderChanges;
  std::shared_ptr<const TScanDiff> Diff;
  std::string Error;
};

namespace {

// No change can be this: sizes stay below 2^63.
constexpr std::int64_t NewFolder = INT64_MIN;

// On the history's thread: the newer scan, read back as stored under `id`. A history written
// meanwhile by someone else must not slip another scan in: it has to be the one shown.
bool ReadNewerBack(THistoryDatabase& db, std::int64_t id, const TScanSnapshot& shown,
                   std::size_t folders, TScanSnapshot& newer, std::string& error) {
  if (id == 0) {
    error = "this scan was not added to the history";
    return false;
  }
  if (!db.OpenForReading() || !db.LoadScan(id, newer)) {
    error = db.Error();
    return false;
  }
  if (newer.Root != shown.Root || newer.Started != shown.Started || newer.Size != shown.Size ||
      newer.Folders.size() != folders) {
    error = "scan " + std::to_string(id) + " in the history is not the scan shown";
    return false;
  }
  return true;
}

QString DateText(std::int64_t seconds) {
  return QLocale::system().toString(QDateTime::fromSecsSinceEpoch(seconds), QLocale::ShortFormat);
}

QString SizeText(std::uint64_t size) {
  return QString::fromStdString(FormatSize(size, 2, QLocale::system().decimalPoint().toStdString()))
      .trimmed();
}

QString ChangeText(std::int64_t change) {
  return QString::fromStdString(
             FormatSizeChange(change, QLocale::system().decimalPoint().toStdString()))
      .trimmed();
}

}  // namespace

TChangesTab::TChangesTab(QTabWidget* tabs, TScanHistoryHook& history, int dpi)
    : Tabs(tabs), History(history) {
  BuildWidgets(dpi);
  tabs->addTab(TabSheet, QStringLiteral("Changes"));
  SetTabShown(false);
  connect(Chooser, &QComboBox::activated, this,
          [this](int index) { StartComparison(Chooser->itemData(index).toLongLong()); });
  connect(List, &QAbstractItemView::clicked, this,
          [this](const QModelIndex& index) { RowClicked(index); });
}

TChangesTab::~TChangesTab() {
  *Generation = -1;  // whatever is still queued on the history's thread is skipped
}

void TChangesTab::BuildWidgets(int dpi) {
  TabSheet = new QWidget;
  TabSheet->setObjectName(QStringLiteral("ChangesTabSheet"));
  TabSheet->setProperty("helpPage", QStringLiteral("Changes.htm"));
  Heading = new QLabel(QStringLiteral("Compared with the scan of"), TabSheet);
  Chooser = new QComboBox(TabSheet);
  Chooser->setObjectName(QStringLiteral("ChangesChooser"));
  Chooser->setToolTip(QStringLiteral("The earlier scan to compare with"));
  Total = new QLabel(TabSheet);
  Total->setObjectName(QStringLiteral("ChangesTotal"));
  Total->setTextInteractionFlags(Qt::TextSelectableByMouse);
  Chart = new TSizeChartView(TabSheet);
  Chart->setFixedHeight(Scaled(84, dpi, 96));
  Chart->setMinimumWidth(Scaled(260, dpi, 96));

  Model = new TChangesModel(this, QLocale::system().decimalPoint());
  List = MakeShareBarList(TabSheet, QStringLiteral("ChangesList"), Model);
  List->setTextElideMode(Qt::ElideMiddle);
  List->header()->setStretchLastSection(false);
  List->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  for (int column = 1; column < 4; ++column) {
    List->header()->setSectionResizeMode(column, QHeaderView::Interactive);
    List->header()->resizeSection(column, Scaled(90, dpi, 96));
  }
  Message = new QLabel(TabSheet);
  Message->setObjectName(QStringLiteral("ChangesMessage"));
  Message->setAlignment(Qt::AlignCenter);
  Message->setWordWrap(true);
  Message->setEnabled(false);  // greyed: a state, not a result
  Stack = new QStackedWidget(TabSheet);
  Stack->addWidget(List);
  Stack->addWidget(Message);

  auto* choice = new QHBoxLayout;
  choice->addWidget(Heading);
  choice->addWidget(Chooser);
  choice->addStretch();
  auto* facts = new QVBoxLayout;
  facts->addLayout(choice);
  facts->addWidget(Total);
  facts->addStretch();
  auto* top = new QHBoxLayout;
  top->addLayout(facts, 1);
  top->addWidget(Chart, 1);
  auto* layout = new QVBoxLayout(TabSheet);
  layout->addLayout(top);
  layout->addWidget(Stack, 1);
}

TChangesTab::TTicket TChangesTab::NewTicket() {
  return {QPointer<TChangesTab>(this), Generation, ++*Generation};
}

void TChangesTab::Clear() {
  ++*Generation;
  Stored = false;
  Newer.reset();
  NewerFolders = 0;
  NewerId.reset();
  Earlier.clear();
  FolderOfNode.clear();
  Shown.reset();
  Comparing = false;
  Model->Clear();
  Chart->Clear();
  Chooser->clear();
  Total->clear();
  SetTabShown(false);
}

void TChangesTab::SetTabShown(bool shown) {
  const int index = Tabs->indexOf(TabSheet);
  if (!shown) Tabs->setTabText(index, QStringLiteral("Changes"));
  Tabs->setTabVisible(index, shown);
}

bool TChangesTab::IsShown() const {
  return Tabs->isTabVisible(Tabs->indexOf(TabSheet));
}

bool TChangesTab::IsComparing() const {
  return Comparing;
}

const TScanDiff* TChangesTab::ShownDiff() const {
  return Shown && Shown->Diff ? Shown->Diff.get() : nullptr;
}

void TChangesTab::Deliver(const TTicket& ticket, std::function<void(TChangesTab&)> show) {
  QMetaObject::invokeMethod(
      QCoreApplication::instance(),
      [ticket, show = std::move(show)] {
        if (ticket.Tab && ticket.Current()) show(*ticket.Tab);
      },
      Qt::QueuedConnection);
}

void TChangesTab::Compare(THistoryDatabase& db, const TTicket& ticket, std::int64_t fromId,
                          const TScanSnapshot& to) {
  if (!ticket.Current()) return;
  auto comparison = std::make_shared<TComparison>();
  auto diff = std::make_shared<TScanDiff>();
  if (CompareWithStoredScan(db, fromId, to, DefaultChangeListLength, NativePathStyle(),
                            comparison->From, *diff, comparison->Error)) {
    // A folder's page shows its change from these; both trees' folders go.
    const std::vector<TSnapshotFolder>& from = comparison->From.Folders;
    std::vector<std::int64_t>& changes = comparison->FolderChanges;
    changes.reserve(to.Folders.size());
    for (std::size_t i = 0; i < to.Folders.size(); ++i) {
      const std::uint32_t before = i < diff->BeforeIndex.size() ? diff->BeforeIndex[i] : NoNode;
      changes.push_back(before == NoNode || before >= from.size()
                            ? NewFolder
                            : static_cast<std::int64_t>(to.Folders[i].Size) -
                                  static_cast<std::int64_t>(from[before].Size));
    }
    comparison->From = ScanHeader(comparison->From);
    diff->BeforeIndex = {};
    comparison->Diff = std::move(diff);
  }
  Deliver(ticket, [comparison](TChangesTab& tab) { tab.ShowComparison(comparison); });
}

TScanHistoryRecorder::TStored TChangesTab::CompareFinishedScan(
    std::shared_ptr<const TScanSnapshot> scan, std::vector<TNodeId> nodes) {
  Clear();
  Newer = ScanHeader(*scan);
  NewerFolders = scan->Folders.size();
  NewerId = std::make_shared<std::atomic<std::int64_t>>(0);
  TNodeId last = 0;
  for (const TNodeId n : nodes) last = std::max(last, n);
  FolderOfNode.assign(nodes.empty() ? 0 : static_cast<std::size_t>(last) + 1, NoNode);
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    FolderOfNode[nodes[i]] = static_cast<std::uint32_t>(i);
  }
  // The task holds the copy until it has compared; the recorder until it has written it.
  const bool posted =
      History.Post([ticket = NewTicket(), scan = std::move(scan)](const std::string& path) {
        if (!ticket.Current()) return;
        THistoryDatabase db(path);
        auto listing = std::make_shared<TListing>();
        if (db.OpenForReading()) {
          static_cast<void>(ListEarlierScans(db, *scan, listing->Earlier, listing->Error));
        } else {
          listing->Error = db.Error();
        }
        listing->Notice = db.Notice();
        Deliver(ticket, [listing](TChangesTab& tab) { tab.ShowListing(*listing); });
        if (listing->Error.empty() && !listing->Earlier.empty()) {
          Compare(db, ticket, listing->Earlier.front().Id, *scan);
        }
      });
  Comparing = posted;
  return [id = NewerId](std::int64_t stored) { *id = stored; };
}

void TChangesTab::CompareStoredScans(std::int64_t fromId, std::int64_t toId) {
  Clear();
  Stored = true;
  NewerId = std::make_shared<std::atomic<std::int64_t>>(toId);
  SetTabShown(true);
  ShowMessage(QStringLiteral("Comparing..."));
  const bool posted = History.Post([ticket = NewTicket(), fromId, toId](const std::string& path) {
    if (!ticket.Current()) return;
    THistoryDatabase db(path);
    auto listing = std::make_shared<TListing>();
    TScanSnapshot newer;
    if (!db.OpenForReading() || !db.LoadScan(toId, newer)) {
      listing->Error = db.Error();
    } else {
      static_cast<void>(ListEarlierScans(db, newer, listing->Earlier, listing->Error));
    }
    listing->Newer = ScanHeader(newer);
    listing->NewerFolders = newer.Folders.size();
    listing->Notice = db.Notice();
    Deliver(ticket, [listing](TChangesTab& tab) { tab.ShowListing(*listing); });
    if (listing->Error.empty()) Compare(db, ticket, fromId, newer);
  });
  Comparing = posted;
  if (!posted) ShowMessage(QStringLiteral("No scan history is kept."));
}

void TChangesTab::ShowListing(const TListing& listing) {
  if (!listing.Notice.empty()) History.ShowWarning(listing.Notice);
  if (!listing.Error.empty()) {
    Comparing = false;
    if (Stored) {
      ShowMessage(QString::fromStdString("The scans cannot be compared: " + listing.Error));
    } else {
      // The scan's results stand as they are; only the comparison is missing.
      History.ShowWarning("cannot compare with earlier scans (" + listing.Error + ")");
    }
    return;
  }
  if (Stored) {
    Newer = listing.Newer;
    NewerFolders = listing.NewerFolders;
  }
  Earlier = listing.Earlier;
  if (Earlier.empty() && !Stored) {
    Comparing = false;
    return;  // the first scan of this folder: nothing to compare with
  }
  Chooser->clear();
  for (const TScanSnapshot& scan : Earlier) {
    Chooser->addItem(DateText(scan.Started), QVariant::fromValue<qlonglong>(scan.Id));
  }
  SetTabShown(true);
  ShowMessage(QStringLiteral("Comparing..."));
}

void TChangesTab::StartComparison(std::int64_t fromId) {
  if (!Newer) return;
  Comparing = true;
  ShowMessage(QStringLiteral("Comparing..."));
  const bool posted = History.Post([ticket = NewTicket(), fromId, shown = *Newer,
                                    folders = NewerFolders, id = NewerId](const std::string& path) {
    if (!ticket.Current()) return;
    THistoryDatabase db(path);
    TScanSnapshot newer;
    auto failed = std::make_shared<TComparison>();
    // Queued after the newer scan's write: its id is known by now.
    if (ReadNewerBack(db, *id, shown, folders, newer, failed->Error)) {
      Compare(db, ticket, fromId, newer);
      return;
    }
    Deliver(ticket, [failed](TChangesTab& tab) { tab.ShowComparison(failed); });
  });
  if (!posted) Comparing = false;
}

void TChangesTab::ShowMessage(const QString& text) {
  Message->setText(text);
  Stack->setCurrentWidget(Message);
}

void TChangesTab::ShowComparison(const std::shared_ptr<const TComparison>& comparison) {
  Comparing = false;
  if (!comparison->Diff) {
    ShowMessage(QString::fromStdString("The scans cannot be compared: " + comparison->Error));
    return;
  }
  Shown = comparison;
  const TScanSnapshot& from = comparison->From;
  const std::int64_t change = comparison->Diff->TotalChange;
  const int chosen = Chooser->findData(QVariant::fromValue<qlonglong>(from.Id));
  if (chosen >= 0) Chooser->setCurrentIndex(chosen);
  Total->setText(QStringLiteral("Total change: %1 (%2 \u2192 %3)")
                     .arg(ChangeText(change), SizeText(from.Size), SizeText(Newer->Size)));
  Tabs->setTabText(Tabs->indexOf(TabSheet), QStringLiteral("Changes (%1)").arg(ChangeText(change)));
  // Oldest first on the chart, the newer scan last.
  std::vector<TSizeChartPoint> points;
  QStringList dates;
  std::size_t compared = 0;
  for (auto it = Earlier.rbegin(); it != Earlier.rend(); ++it) {
    if (it->Id == from.Id) compared = points.size();
    points.push_back({it->Started, it->Size});
    dates.push_back(QLocale::system().toString(QDateTime::fromSecsSinceEpoch(it->Started).date(),
                                               QLocale::ShortFormat));
  }
  points.push_back({Newer->Started, Newer->Size});
  dates.push_back(QLocale::system().toString(QDateTime::fromSecsSinceEpoch(Newer->Started).date(),
                                             QLocale::ShortFormat));
  Chart->SetPoints(std::move(points), std::move(dates), compared);
  Model->Show(comparison->Diff);
  Stack->setCurrentWidget(List);
  if (ComparisonShown) ComparisonShown(Newer->Root);
}

void TChangesTab::RowClicked(const QModelIndex& index) {
  const QVariant folder = index.data(TChangesModel::FolderIndexRole);
  if (!folder.isValid() || Stored || !FocusFolder) return;
  // Only the node-to-folder map is kept (a click is rare, a painted row's change is not): a
  // pass over it finds the node, well under a millisecond for 100,000 folders.
  const auto i = folder.toULongLong();
  if (i >= NoNode) return;
  const auto at =
      std::find(FolderOfNode.begin(), FolderOfNode.end(), static_cast<std::uint32_t>(i));
  if (at != FolderOfNode.end()) FocusFolder(static_cast<TNodeId>(at - FolderOfNode.begin()));
}

std::optional<TInfoPageRow> TChangesTab::FolderPageRow(TNodeId node) const {
  if (Stored || !Shown || !Newer || node >= FolderOfNode.size()) return std::nullopt;
  const std::uint32_t folder = FolderOfNode[node];
  const std::vector<std::int64_t>& changes = Shown->FolderChanges;
  if (folder == NoNode || folder >= changes.size()) return std::nullopt;
  const std::string date = DateText(Shown->From.Started).toStdString();
  if (changes[folder] == NewFolder) return TInfoPageRow{"Change", "new since " + date, -1, 1};
  return TInfoPageRow{"Change since " + date, ChangeText(changes[folder]).toStdString(), -1, 1};
}

}  // namespace Vellumetric
