#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/TSummaryTree.h"

namespace Vellumetric {

// The bytes of a summary file: the entry count, the root, then one section per top-level node
// of the General tree and then of the Detail tree, four lines per entry, CR LF line ends, UTF-8.
[[nodiscard]] std::string SummaryFileBytes(const std::string& root, const TSummaryTree& general,
                                           const TSummaryTree& detail);

// Writes folder/name so that a failure never costs the summary already stored under that name:
// the new file replaces the old one only once every byte is on the disk. False with the
// system's reason in `error` when it cannot be written; no temporary file is left behind.
[[nodiscard]] bool SaveSummaryFile(const std::string& folder, const std::string& name,
                                   const std::string& root, const TSummaryTree& general,
                                   const TSummaryTree& detail, std::string& error);
// The same for a full path.
[[nodiscard]] bool WriteSummaryFile(const std::string& path, const std::string& root,
                                    const TSummaryTree& general, const TSummaryTree& detail);

// What a load asks of the one who runs it: the stop flag, progress, the title and icons.
class TSummaryLoadHooks {
 public:
  virtual ~TSummaryLoadHooks() = default;
  [[nodiscard]] virtual bool StopRequested() = 0;
  // The entry count the file announces (the progress maximum), and the root line.
  virtual void Started(std::int32_t total, const std::string& root) = 0;
  // Every 201 entries: the position has advanced by 200.
  virtual void Progress(std::int32_t position, std::int32_t total) = 0;
  // The General section's icons: first the image list is cleared and given the file browser's
  // icon (its index is the section's), then one icon per entry path. -1: no icon.
  virtual std::int32_t ResetGeneralIcons() = 0;
  virtual std::int32_t AddIcon(const std::string& path) = 0;
  virtual void ExpandGeneralSection(TNodeId node) = 0;
};

// Reads a summary file into the two trees, which it clears first. Lines end at LF (CR bytes are
// dropped), a Ctrl-Z byte ends the file, lines of any length are read. A negative or non-numeric
// count ends the load with the sections read so far; a file that ends inside a section keeps
// the entries read completely. Returns false only when the file cannot be opened.
bool ReadSummaryFile(const std::string& path, TSummaryTree& general, TSummaryTree& detail,
                     TSummaryLoadHooks& hooks, std::string_view separator);
// Whether the bytes have the shape this program writes: a first line with a whole number, the
// root line, then sections of a title, a whole-number count and that many four-line entries
// whose size and time lines are whole numbers. The window's load stays lenient; a command line
// tool uses this to refuse a file that is not a summary at all.
[[nodiscard]] bool IsWellFormedSummary(std::string bytes);
// The same over the bytes of a file already read.
void ReadSummaryBytes(std::string bytes, TSummaryTree& general, TSummaryTree& detail,
                      TSummaryLoadHooks& hooks, std::string_view separator);

}  // namespace Vellumetric
