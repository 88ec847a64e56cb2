#pragma once

#include <cstdint>

namespace Vellumetric {

// Private window messages shared by the workers and the windows (WM_USER = 1024).
enum : std::uint32_t {
  WM_DRIVE_SELECTED = 2024,
  WM_SCAN_FINISHED = 2026,
  WM_SCAN_CANCELLED = 2027,
  WM_SCAN_CANCEL_REQUEST = 2028,
  WM_SUMMARY_FINISHED = 2029,
  WM_DRIVE_OPEN = 2030,
  WM_SHOW_SAVE_SUMMARY = 2031,
  WM_SAVE_SUMMARY = 2032,
  WM_OPEN_SUMMARY = 2033,
  // A folder scanned again: put in place, or stopped with nothing changed.
  WM_REFRESH_FINISHED = 2050,
  WM_REFRESH_CANCELLED = 2051,
  WM_DUPLICATES_FINISHED = 2038,
};

}  // namespace Vellumetric
