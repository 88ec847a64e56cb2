#pragma once

#include <cstdint>
#include <limits>

namespace Vellumetric {

// One node of the General or Detail summary page: a section, a group or a file. Its name and
// location are not held here but found by its tree (TSummaryTree::Name, Location): a file of a
// scan is read from its file record and its folder, any other node has a text of its own. That
// keeps a page of a few hundred thousand files at a few words per file.
struct TSummaryNodeData {
  static constexpr std::uint32_t NoText = std::numeric_limits<std::uint32_t>::max() >> 1;
  static constexpr std::uint32_t FileBit = ~NoText;

  std::uint64_t Size = 0;
  std::uint64_t LastAccess = 0;
  std::int32_t ImageIndex = 0;
  // A file record id with FileBit set, else an index into the tree's own texts (NoText: none).
  std::uint32_t Text = NoText;
};

}  // namespace Vellumetric
