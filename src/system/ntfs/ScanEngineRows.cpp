#include "system/ntfs/ScanEngineRows.h"

#include <string>

namespace Vellumetric {

std::vector<TInfoPageRow> ScanEngineRows(const TScanEngineReport& report) {
  std::vector<TInfoPageRow> rows;
  rows.push_back({"", "", -1, 0});
  rows.push_back({"Scan", "", 0, 0});
  rows.push_back({"Engine", report.UsedMft ? "Master file table" : "Folder listing", -1, 1});
  if (!report.FallbackReason.empty()) {
    rows.push_back({"Master file table not used", report.FallbackReason, -1, 1});
  }
  if (report.UsedMft && report.DamagedRecords > 0) {
    rows.push_back({"Damaged records skipped", std::to_string(report.DamagedRecords), -1, 1});
  }
  return rows;
}

}  // namespace Vellumetric
