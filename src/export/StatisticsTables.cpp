#include "export/StatisticsTables.h"

#include "export/CsvText.h"
#include "export/JsonText.h"
#include "system/NativePlatform.h"
#include "system/TimeText.h"

namespace Vellumetric {
namespace {

bool Has(TStatisticsPart part, TStatisticsPart wanted) {
  return (static_cast<int>(part) & static_cast<int>(wanted)) != 0;
}

std::string IsoTime(std::int64_t unixSeconds, const TExportOptions& options) {
  const std::int32_t offset =
      options.UtcOffset ? options.UtcOffset(unixSeconds) : LocalUtcOffset(unixSeconds);
  return FormatIso8601(unixSeconds, offset);
}

std::string PeriodName(const TAgePeriod& p) {
  std::string name = std::to_string(p.Year);
  if (p.Month == 0) return name;
  return name + (p.Month < 10 ? "-0" : "-") + std::to_string(p.Month);
}

void CsvCells(TCsvText& csv, const TStatCell& cell) {
  csv.Field(cell.Count).Field(cell.Bytes).Field(cell.DiskBytes);
  csv.EndRow();
}

void CsvAges(TCsvText& csv, const TAgeTable& table, const char* years, const char* months,
             const TExportOptions& options) {
  for (const auto& [rows, name] : {std::pair{&table.Years, years}, {&table.Months, months}}) {
    for (const TAgePeriod& p : *rows) {
      csv.Field(name).Field(PeriodName(p));
      csv.Field(IsoTime(p.From, options)).Field(IsoTime(p.To, options));
      CsvCells(csv, p.Files);
    }
  }
  if (table.NoTime.Count == 0) return;
  csv.Field(years).Field("unknown").Field("").Field("");
  CsvCells(csv, table.NoTime);
}

std::string StatisticsCsv(const TFileStatistics& stats, TStatisticsPart part,
                          const TExportOptions& options) {
  TCsvText csv({"table", "name", "from", "to", "count", "bytes", "disk_bytes"});
  if (Has(part, TStatisticsPart::Sizes)) {
    for (const TSizeBucket& b : stats.SizeBuckets) {
      csv.Field("size").Field(BucketText(b)).Field(b.From()).Field(b.ToText());
      CsvCells(csv, b.Files);
    }
    for (std::size_t i = 0; i < PercentileRanks.size() && stats.Total.Count > 0; ++i) {
      csv.Field("percentile").Field("P" + std::to_string(PercentileRanks[i]));
      csv.Field(stats.Percentiles[i]).Field("").Field("").Field("").Field("");
      csv.EndRow();
    }
  }
  if (Has(part, TStatisticsPart::Ages)) {
    CsvAges(csv, stats.Access, "access_year", "access_month", options);
    CsvAges(csv, stats.Change, "change_year", "change_month", options);
  }
  return csv.Text();
}

void JsonCell(std::string& out, const TStatCell& cell) {
  out += "\"count\":" + std::to_string(cell.Count) + ",\"bytes\":" + std::to_string(cell.Bytes) +
         ",\"disk_bytes\":" + std::to_string(cell.DiskBytes) + "}";
}

void JsonYears(std::string& out, const char* key, const TAgeTable& table) {
  out += ",\"";
  out += key;
  out += "\":[";
  bool first = true;
  for (const TAgePeriod& p : table.Years) {
    out += first ? "{\"year\":" : ",{\"year\":";
    out += std::to_string(p.Year) + ",";
    JsonCell(out, p.Files);
    first = false;
  }
  if (table.NoTime.Count > 0) {
    out += first ? "{\"year\":null," : ",{\"year\":null,";
    JsonCell(out, table.NoTime);
  }
  out += "]";
}

void JsonSizes(std::string& out, const TFileStatistics& stats) {
  out += ",\"size_buckets\":[";
  for (std::size_t i = 0; i < stats.SizeBuckets.size(); ++i) {
    const TSizeBucket& b = stats.SizeBuckets[i];
    out += i == 0 ? "{" : ",{";
    out += "\"from\":" + std::to_string(b.From()) + ",\"to\":" + b.ToText() + ",";
    JsonCell(out, b.Files);
  }
  out += "],\"percentiles\":{";
  for (std::size_t i = 0; i < PercentileRanks.size(); ++i) {
    out += (i == 0 ? "\"P" : ",\"P") + std::to_string(PercentileRanks[i]) + "\":";
    out += stats.Total.Count > 0 ? std::to_string(stats.Percentiles[i]) : "null";
  }
  out += "}";
}

std::string StatisticsJson(const TFileStatistics& stats, std::string_view root,
                           TStatisticsPart part) {
  std::string out = "{\"root\":";
  AppendJsonString(out, root);
  out += ",\"files\":" + std::to_string(stats.Total.Count) +
         ",\"bytes\":" + std::to_string(stats.Total.Bytes);
  if (Has(part, TStatisticsPart::Sizes)) JsonSizes(out, stats);
  if (Has(part, TStatisticsPart::Ages)) {
    JsonYears(out, "access_years", stats.Access);
    JsonYears(out, "change_years", stats.Change);
  }
  return out + "}\n";
}

}  // namespace

std::string ExportStatistics(const TFileStatistics& stats, std::string_view root,
                             TStatisticsPart part, const TExportOptions& options) {
  return options.Format == TExportFormat::Json ? StatisticsJson(stats, root, part)
                                               : StatisticsCsv(stats, part, options);
}

}  // namespace Vellumetric
