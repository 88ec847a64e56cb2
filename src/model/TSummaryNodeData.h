#pragma once

#include <cstdint>
#include <limits>

namespace Vellumetric {

// One node of the General or Detail summary page: a section, a group or a file. It holds only a
// reference; its tree reads the rest (TSummaryTree::Name, Size, LastAccess, ...): a file of a
// scan from its file record and its folder, any other node from an entry of the tree's own. A
// page of a few hundred thousand files thus costs 8 bytes per file over the tree's links.
struct TSummaryNodeData {
  static constexpr std::uint32_t NoText = std::numeric_limits<std::uint32_t>::max() >> 1;
  static constexpr std::uint32_t FileBit = ~NoText;

  // A file record id with FileBit set, else an index into the tree's own entries (NoText: none).
  std::uint32_t Text = NoText;
  // A file node: the part of its last access below a second (100 ns units), which its record
  // drops. Any other node: its image index.
  std::uint32_t Extra = 0;
};

}  // namespace Vellumetric
