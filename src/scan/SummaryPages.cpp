#include "scan/SummaryPages.h"

namespace Vellumetric {

TNodeId BuildBiggestFilesSection(TSummaryTree& general, const TBiggestFileList& biggest,
                                 TPathStyle style,
                                 const std::function<std::int32_t(const std::string&)>& fileIcon,
                                 std::int32_t sectionIcon) {
  const TNodeId section = general.AddChild(NoNode, TSummaryNodeData{});
  std::uint64_t total = 0;
  for (std::size_t i = biggest.Count(); i-- > 0;) {
    const TFileTypeData& file = biggest[i];
    TSummaryNodeData d;
    d.Name = file.Name;
    d.Size = file.Size;
    d.Location = file.Path;
    d.LastAccess = file.LastAccess;
    const std::int32_t icon = fileIcon ? fileIcon(ChildPath(style, d.Location.Str(), d.Name)) : -1;
    d.ImageIndex = icon < 0 ? 0 : icon;
    total += file.Size;
    general.AddChild(section, std::move(d));
  }
  TSummaryNodeData& s = general.Data(section);
  s.Name = BiggestFilesTitle;
  s.Size = total;
  s.ImageIndex = sectionIcon;
  return section;
}

void SortDetailTree(TSummaryTree& detail) {
  detail.SortAll(
      [](const TSummaryNodeData& a, const TSummaryNodeData& b) { return a.Size > b.Size; });
}

}  // namespace Vellumetric
