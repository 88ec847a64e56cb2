#pragma once

#include <string>
#include <string_view>

namespace Vellumetric {

// String-table ids the program uses by number.
enum : int {
  IDS_VERSION = 7,
  IDS_ABOUT = 8,
  IDS_PHYSICAL_MEMORY = 10,
  IDS_SELECT_DIRECTORY = 14,
  IDS_CANNOT_READ_APP_PATH = 751,
  IDS_CANNOT_OPEN_DATABASE = 755,
  IDS_LOCAL_DISK = 851,
  IDS_EDITION_FIRST = 1000,
  IDS_HOME_EDITION = 1026,
  IDS_PROFESSIONAL_EDITION = 1027,
  IDS_COLUMN_NAME = 1213,
  IDS_COLUMN_SIZE = 1576,
  IDS_BROWSE = 2008,
  IDS_ANALYZING = 2009,
};

// The text of a string-table entry, at most 511 characters; empty for an unknown id.
[[nodiscard]] std::string LoadResString(int id);
// The same with its first "%s" replaced by `argument`, inserted literally.
[[nodiscard]] std::string LoadResStringFmt(int id, std::string_view argument);

}  // namespace Vellumetric
