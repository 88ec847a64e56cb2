#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "system/ntfs/NtfsRunList.h"

namespace Vellumetric {

// Where an NTFS volume's bytes come from: a raw volume on Windows, an image file or an unmounted
// partition on Linux, memory in tests. Reads are synchronous; the reader keeps them large and
// sequential and asks only for offsets and lengths that are multiples of `Alignment()`, with a
// buffer aligned to it, so a source may read without the system's cache.
class TNtfsByteSource {
 public:
  virtual ~TNtfsByteSource() = default;

  // Reads exactly `size` bytes at `offset`. False, with the system's words in `error`, when
  // they cannot all be read (a read past the end included).
  [[nodiscard]] virtual bool ReadAt(std::uint64_t offset, void* buffer, std::size_t size,
                                    std::string& error) = 0;
  // The source's length in bytes, or 0 when it cannot tell.
  [[nodiscard]] virtual std::uint64_t Size() const = 0;
  [[nodiscard]] virtual std::size_t Alignment() const { return 4096; }
  // Whether reads come from the system's cache or memory: they may then run on several threads
  // at once, at any offset and length, and a small read costs about as much per byte as a large
  // one. The reader then has each thread read the records it parses while they are still in its
  // processor's cache, rather than reading large pieces ahead on one thread.
  [[nodiscard]] virtual bool CachedReads() const { return false; }
  // The $MFT's extents as the file system itself reports them (Windows: the retrieval pointers
  // of "$MFT"), in clusters. False when the source cannot say, and the reader decodes them from
  // the $MFT's own record.
  [[nodiscard]] virtual bool MftExtents(std::vector<TNtfsRun>& /*runs*/) { return false; }
};

// A volume held in memory: for tests and the fuzz target.
class TNtfsMemorySource final : public TNtfsByteSource {
 public:
  explicit TNtfsMemorySource(std::vector<std::uint8_t> bytes) : Bytes(std::move(bytes)) {}
  [[nodiscard]] bool ReadAt(std::uint64_t offset, void* buffer, std::size_t size,
                            std::string& error) override;
  [[nodiscard]] std::uint64_t Size() const override { return Bytes.size(); }
  [[nodiscard]] std::size_t Alignment() const override { return 1; }
  [[nodiscard]] bool CachedReads() const override { return true; }

 private:
  std::vector<std::uint8_t> Bytes;
};

}  // namespace Vellumetric
