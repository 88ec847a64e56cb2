#include "ui/results/find/TFindQueryRunner.h"

#include <QCoreApplication>
#include <QEvent>
#include <unordered_set>

namespace Vellumetric {
namespace {

const QEvent::Type FoundEventType = static_cast<QEvent::Type>(QEvent::registerEventType());

// A worker's answer, posted to the runner on the interface thread.
class TFoundEvent final : public QEvent {
 public:
  TFoundEvent(std::shared_ptr<const TFindOutcome> outcome, std::uint64_t generation)
      : QEvent(FoundEventType), Outcome(std::move(outcome)), Generation(generation) {}

  std::shared_ptr<const TFindOutcome> Outcome;
  std::uint64_t Generation;
};

void CollectFolders(TFindOutcome& outcome, const TFileRecordStore& files) {
  std::unordered_set<TNodeId> seen;
  for (const TFoundFile& f : outcome.Result.Files) {
    const TNodeId folder = files.Record(f.Id).Folder;
    if (!seen.insert(folder).second) continue;
    outcome.Folders.push_back(folder);
    if (outcome.Folders.size() == TFindOutcome::MaxFolders) break;
  }
}

}  // namespace

TFindQueryRunner::TFindQueryRunner(QObject* parent) : QObject(parent) {
  Delay.setSingleShot(true);
  Delay.setInterval(DelayMs);
  connect(&Delay, &QTimer::timeout, this, [this] { StartWanted(); });
}

TFindQueryRunner::~TFindQueryRunner() {
  StopWorker();
}

void TFindQueryRunner::SetScan(const TFolderTree* tree, const TFileRecordStore* files,
                               TPathStyle style) {
  Clear();
  Tree = tree;
  Files = files;
  Style = style;
}

void TFindQueryRunner::Clear() {
  Cancel();
  StopWorker();
  Tree = nullptr;
  Files = nullptr;
}

void TFindQueryRunner::Request(const TFileQuery& query) {
  ++Generation;
  Wanted = query;
  if (Stop) Stop->store(true);
  Delay.start();
}

void TFindQueryRunner::Cancel() {
  ++Generation;
  Wanted.reset();
  Delay.stop();
  if (Stop) Stop->store(true);
}

void TFindQueryRunner::StartWanted() {
  // With a worker still running, the query starts when that one has reported.
  if (!Wanted || !Tree || !Files || Worker.joinable()) return;
  const TFileQuery query = *Wanted;
  Wanted.reset();
  Stop = std::make_shared<std::atomic<bool>>(false);
  WorkerGeneration = Generation;
  Worker = std::thread([this, query, stop = Stop, generation = Generation, tree = Tree,
                        files = Files, style = Style] {
    auto outcome = std::make_shared<TFindOutcome>();
    outcome->Query = query;
    outcome->Result = FindFiles(*files, *tree, style, query, stop.get());
    if (!outcome->Result.Stopped) CollectFolders(*outcome, *files);
    // Qt drops the event if the runner is gone by then; the destructor has joined this thread.
    QCoreApplication::postEvent(this, new TFoundEvent(std::move(outcome), generation));
  });
}

void TFindQueryRunner::StopWorker() {
  if (Stop) Stop->store(true);
  if (Worker.joinable()) Worker.join();
  Stop.reset();
  WorkerGeneration = 0;
}

bool TFindQueryRunner::event(QEvent* event) {
  if (event->type() != FoundEventType) return QObject::event(event);
  auto* found = static_cast<TFoundEvent*>(event);
  // An answer of a worker that was stopped and joined already has nothing left to end.
  if (found->Generation != WorkerGeneration) return true;
  StopWorker();  // it has finished: the join is immediate
  if (found->Generation == Generation && !found->Outcome->Result.Stopped && OnResult) {
    OnResult(found->Outcome);
  }
  if (Wanted && !Delay.isActive()) StartWanted();
  return true;
}

}  // namespace Vellumetric
