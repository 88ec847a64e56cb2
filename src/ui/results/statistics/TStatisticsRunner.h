#pragma once

#include <QObject>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

#include "model/TFileRecordStore.h"
#include "statistics/FileStatistics.h"
#include "statistics/TLocalCalendar.h"
#include "system/PathRules.h"

namespace Vellumetric {

// Works out the Statistics tab's figures over a finished scan on a worker thread, one request at
// a time, so a large scan never stalls the window. A request made while one runs stops that one
// (its answer would be stale) and starts when the worker has let go; only the newest answer is
// delivered, on the interface thread. The local calendar is made once, on the first request.
class TStatisticsRunner final : public QObject {
 public:
  explicit TStatisticsRunner(QObject* parent = nullptr);
  // Stops and waits for the worker: the records it reads may go next.
  ~TStatisticsRunner() override;

  // The records to read; they must stay unchanged until Clear() or the next SetScan().
  void SetScan(const TFileRecordStore* files, TPathStyle style);
  // Stops and waits for the worker and forgets the scan.
  void Clear();
  void Request(const TStatisticsQuery& query);
  [[nodiscard]] bool Busy() const noexcept { return Wanted.has_value() || Worker.joinable(); }

  std::function<void(std::shared_ptr<const TFileStatistics>, const TStatisticsQuery&)> OnResult;
  // The rule of local time; the system's unless replaced (tests).
  TLocalCalendar::TUtcOffset UtcOffset;

 protected:
  bool event(QEvent* event) override;

 private:
  void StartWanted();
  void StopWorker();

  const TFileRecordStore* Files = nullptr;
  TPathStyle Style = TPathStyle::Posix;
  std::optional<TStatisticsQuery> Wanted;
  std::thread Worker;
  std::shared_ptr<std::atomic<bool>> Stop;
  std::shared_ptr<const TLocalCalendar> Calendar;  // made by the first worker, then shared
  std::uint64_t Generation = 0;
  std::uint64_t WorkerGeneration = 0;
};

}  // namespace Vellumetric
