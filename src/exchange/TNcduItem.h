#pragma once

#include <cstdint>
#include <string>

namespace Vellumetric {

// One step of an ncdu export as the walk meets it: a file (any entry that is not a directory
// array), the start of a directory (its info object) or its end.
struct TNcduItem {
  enum TKind : std::uint8_t { File, Dir, DirEnd };
  enum : std::uint16_t {
    HasAsize = 1,
    HasDsize = 2,
    HasDev = 4,
    HasIno = 8,
    HardLinked = 16,  // "hlnkc": the file has other names
    ReadError = 32,
    NotRegular = 64,
    Excluded = 128,
    HasMtime = 256,
  };

  TKind Kind = File;
  std::uint16_t Flags = 0;
  std::uint32_t NameOffset = 0;  // into the batch's names
  std::uint32_t NameLength = 0;
  std::uint32_t Links = 0;  // "nlink"; 0 when not given
  std::uint64_t Asize = 0;
  std::uint64_t Dsize = 0;
  std::uint64_t Dev = 0;
  std::uint64_t Ino = 0;
  std::int64_t Mtime = 0;  // seconds since 1970

  [[nodiscard]] bool Has(std::uint16_t flag) const noexcept { return (Flags & flag) != 0; }
};

// What an export says about itself, from its metadata object and its root's info object.
struct TNcduHeader {
  std::uint32_t Major = 0;
  std::uint32_t Minor = 0;
  std::string ProgramName;     // "progname"
  std::string ProgramVersion;  // "progver"
  std::int64_t Timestamp = 0;  // "timestamp", seconds since 1970; 0 when not given
  std::string Root;            // the root directory's name: the scanned path
};

}  // namespace Vellumetric
