#include "ui/results/statistics/TStatisticsRunner.h"

#include <QCoreApplication>
#include <QEvent>

#include "system/NativePlatform.h"

namespace Vellumetric {
namespace {

const QEvent::Type ComputedEventType = static_cast<QEvent::Type>(QEvent::registerEventType());

class TComputedEvent final : public QEvent {
 public:
  TComputedEvent(std::shared_ptr<const TFileStatistics> stats, TStatisticsQuery query,
                 std::shared_ptr<const TLocalCalendar> calendar, std::uint64_t generation)
      : QEvent(ComputedEventType),
        Stats(std::move(stats)),
        Query(std::move(query)),
        Calendar(std::move(calendar)),
        Generation(generation) {}

  std::shared_ptr<const TFileStatistics> Stats;
  TStatisticsQuery Query;
  std::shared_ptr<const TLocalCalendar> Calendar;
  std::uint64_t Generation;
};

}  // namespace

TStatisticsRunner::TStatisticsRunner(QObject* parent)
    : QObject(parent), UtcOffset([](std::int64_t t) { return LocalUtcOffset(t); }) {}

TStatisticsRunner::~TStatisticsRunner() {
  StopWorker();
}

void TStatisticsRunner::SetScan(const TFileRecordStore* files, TPathStyle style) {
  Clear();
  Files = files;
  Style = style;
}

void TStatisticsRunner::Clear() {
  ++Generation;
  Wanted.reset();
  StopWorker();
  Files = nullptr;
}

void TStatisticsRunner::Request(const TStatisticsQuery& query) {
  ++Generation;
  Wanted = query;
  if (Stop) Stop->store(true);
  StartWanted();
}

void TStatisticsRunner::StartWanted() {
  if (!Wanted || !Files || Worker.joinable()) return;
  const TStatisticsQuery query = *Wanted;
  Wanted.reset();
  Stop = std::make_shared<std::atomic<bool>>(false);
  WorkerGeneration = Generation;
  Worker = std::thread([this, query, stop = Stop, generation = Generation, files = Files,
                        style = Style, calendar = Calendar, offset = UtcOffset]() mutable {
    if (!calendar) calendar = std::make_shared<const TLocalCalendar>(offset);
    auto stats = std::make_shared<const TFileStatistics>(
        ComputeFileStatistics(*files, query, *calendar, style, stop.get()));
    QCoreApplication::postEvent(
        this, new TComputedEvent(std::move(stats), query, std::move(calendar), generation));
  });
}

void TStatisticsRunner::StopWorker() {
  if (Stop) Stop->store(true);
  if (Worker.joinable()) Worker.join();
  Stop.reset();
  WorkerGeneration = 0;
}

bool TStatisticsRunner::event(QEvent* event) {
  if (event->type() != ComputedEventType) return QObject::event(event);
  auto* computed = static_cast<TComputedEvent*>(event);
  if (computed->Generation != WorkerGeneration) return true;  // joined already
  StopWorker();
  if (!Calendar) Calendar = computed->Calendar;
  if (computed->Generation == Generation && !computed->Stats->Stopped && OnResult) {
    OnResult(computed->Stats, computed->Query);
  }
  StartWanted();
  return true;
}

}  // namespace Vellumetric
