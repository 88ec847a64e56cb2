#pragma once

#include <QVariant>

namespace Vellumetric {

// The header of a list of files (the summary pages, the Find results): Name, Size, Last Access
// Time, Location, so every file list reads alike.
[[nodiscard]] QVariant FileListHeader(int section, Qt::Orientation orientation, int role);

}  // namespace Vellumetric
