#pragma once

#include <cstdint>

namespace Vellumetric {

// What a search for duplicates compares.
struct TDuplicateOptions {
  // Files smaller than this are not compared. Empty files never are, whatever this says: they
  // hold nothing, so no space hides in their copies.
  std::uint64_t MinSize = 1;
  // Each group's files are compared byte for byte as well as by their hashes. Off, a group rests
  // on XXH3-128 digests of the files' bytes alone.
  bool ByteCheck = true;
  // Folders whose whole content is equal are grouped too.
  bool Folders = false;
  // Files read at once; 0 lets the disk decide: one on a spinning disk, several on others.
  int Threads = 0;
  // The readers give the processor way to a window's thread.
  bool Background = false;
};

}  // namespace Vellumetric
