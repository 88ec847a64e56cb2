#include "scan/SummaryPages.h"

namespace Vellumetric {

TNodeId BuildBiggestFilesSection(TSummaryTree& general, const TBiggestFileList& biggest,
                                 TPathStyle style,
                                 const std::function<std::int32_t(const std::string&)>& fileIcon,
                                 std::int32_t sectionIcon) {
  const TNodeId section = general.AddNode(NoNode, std::string());
  std::uint64_t total = 0;
  std::uint64_t disk = 0;
  for (std::size_t i = biggest.Count(); i-- > 0;) {
    const TFileTypeData& file = biggest[i];
    const std::int32_t icon =
        fileIcon ? fileIcon(ChildPath(style, file.Path.Str(), file.Name)) : -1;
    general.AddNode(section, file.Name, file.Path, file.Size, icon < 0 ? 0 : icon, file.LastAccess,
                    {file.DiskSize, file.DiskFlags});
    total += file.Size;
    disk += file.DiskSize;
  }
  general.SetSize(section, total);
  general.SetDiskSize(section, disk);
  general.SetKnowsDiskSizes(true);
  general.SetImageIndex(section, sectionIcon);
  general.SetName(section, BiggestFilesTitle);
  return section;
}

void SortDetailTree(TSummaryTree& detail, TMeasure measure) {
  detail.SortBySize(true, measure);
}

}  // namespace Vellumetric
