#pragma once

#include <QVariant>

namespace Vellumetric {

// The header of a list of files (the summary pages, the Find results): Name, Size, Last Access
// Time, Location, then On Disk, so every file list reads alike. On Disk is the last column of the
// model, so the others keep their places; the views show it beside Size.
[[nodiscard]] QVariant FileListHeader(int section, Qt::Orientation orientation, int role);

inline constexpr int FileListDiskColumn = 4;
inline constexpr int FileListColumns = 5;

}  // namespace Vellumetric
