#pragma once

#include <QString>

#include "model/TFileRecordStore.h"
#include "model/TFolderData.h"
#include "system/PathRules.h"

namespace Vellumetric {

// What a file of the scan is on the disk, for its tooltip, one line per fact: a name of a file
// with several ("hard link: 3 names, counted once at /home/ann/a.iso"), holes or compression
// ("sparse: 10.00 GB, 4.00 KB on disk"), or data kept only online ("online only: 0.00 KB on
// disk"). Empty for a file whose size and allocation tell it all.
[[nodiscard]] QString DiskNoteText(const TFileRecordStore& files, const TFolderTree& tree,
                                   TPathStyle style, TFileId file, const QString& decimalPoint);

}  // namespace Vellumetric
