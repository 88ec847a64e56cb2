#include "history/FolderBlocks.h"

#include <cstdint>

namespace Vellumetric {
namespace {

void AppendNumber(std::string& out, std::uint64_t value) {
  while (value >= 0x80) {
    out.push_back(static_cast<char>((value & 0x7F) | 0x80));
    value >>= 7;
  }
  out.push_back(static_cast<char>(value));
}

// Reads one number at `at`; false past the end or for more than 64 bits.
bool ReadNumber(std::string_view in, std::size_t& at, std::uint64_t& value) {
  value = 0;
  for (int shift = 0; shift < 64 && at < in.size(); shift += 7) {
    const auto byte = static_cast<unsigned char>(in[at++]);
    value |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
    if ((byte & 0x80) == 0) return true;
  }
  return false;
}

}  // namespace

std::string EncodeFolderBlock(const TScanSnapshot& scan, std::size_t first, std::size_t count) {
  std::string out;
  out.reserve(count * 24);
  for (std::size_t i = first; i < first + count; ++i) {
    const TSnapshotFolder& f = scan.Folders[i];
    const std::string_view name = scan.Name(i);
    AppendNumber(out, f.Parent == NoNode ? 0 : i - f.Parent);
    AppendNumber(out, name.size());
    out += name;
    AppendNumber(out, f.Size);
    AppendNumber(out, f.Files);
    AppendNumber(out, f.Folders);
  }
  return out;
}

bool DecodeFolderBlock(std::string_view block, TScanSnapshot& scan) {
  std::size_t at = 0;
  while (at < block.size()) {
    const std::uint64_t index = scan.Folders.size();
    std::uint64_t distance = 0;
    std::uint64_t nameLength = 0;
    std::uint64_t size = 0;
    std::uint64_t files = 0;
    std::uint64_t subfolders = 0;
    if (!ReadNumber(block, at, distance) || (distance == 0) != (index == 0) || distance > index ||
        !ReadNumber(block, at, nameLength) || nameLength > block.size() - at) {
      return false;
    }
    const std::string_view name = block.substr(at, nameLength);
    at += nameLength;
    if (!ReadNumber(block, at, size) || !ReadNumber(block, at, files) ||
        !ReadNumber(block, at, subfolders) || files > UINT32_MAX || subfolders > UINT32_MAX) {
      return false;
    }
    scan.AddFolder(distance == 0 ? NoNode : static_cast<std::uint32_t>(index - distance), name,
                   size, static_cast<std::uint32_t>(files), static_cast<std::uint32_t>(subfolders));
  }
  return true;
}

}  // namespace Vellumetric
