#pragma once

#include <string>

namespace Vellumetric {

// The folder named on the command line as the folder dialog would give it: absolute, without
// "." or ".." parts or a trailing separator. False with a message when it is not a folder.
[[nodiscard]] bool ResolveStartFolder(const std::string& argument, std::string& folder,
                                      std::string& message);

// What the program's command line asks for: a folder to scan or a summary file to open.
struct TStartTarget {
  std::string Folder;
  std::string SummaryFile;
  std::string ScanFile;  // an ncdu export
};

// A path ending in ".sbf" (any case) that is a regular file is a summary to open, given as an
// absolute path; another file whose content is an ncdu export (plain, gzip or zstd) is a scan
// file to open; anything else must be a folder, resolved as above. False with a message when
// it is none of these.
[[nodiscard]] bool ResolveStartArgument(const std::string& argument, TStartTarget& target,
                                        std::string& message);

}  // namespace Vellumetric
