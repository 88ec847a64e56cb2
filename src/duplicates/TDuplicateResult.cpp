#include "duplicates/TDuplicateResult.h"

namespace Vellumetric {

std::string DuplicateMemberPath(const TDuplicateGroup& group, std::uint32_t member,
                                const TFileRecordStore& files, const TFolderTree& tree,
                                TPathStyle style) {
  if (group.Kind == TDuplicateKind::Folders) return tree.Data(member).Path.Str();
  const TPathText& folder = tree.Data(files.Record(member).Folder).Path;
  std::string path = folder.Str();
  path += ChildSeparator(style, folder.Back());
  path += files.Name(member);
  return path;
}

TNodeId DuplicateMemberFolder(const TDuplicateGroup& group, std::uint32_t member,
                              const TFileRecordStore& files) {
  return group.Kind == TDuplicateKind::Folders ? member : files.Record(member).Folder;
}

}  // namespace Vellumetric
