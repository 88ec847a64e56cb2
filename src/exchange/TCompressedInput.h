#pragma once

#include <cstddef>
#include <fstream>
#include <memory>
#include <string>

namespace Vellumetric {

// A file read as plain bytes, or decompressed when it starts like a gzip or zstd stream: the
// content decides, not the name, so a renamed or piped file still reads. A build without one of
// the libraries says so when it meets such a file instead of reading compressed bytes as text.
class TCompressedInput {
 public:
  enum class TFormat { Plain, Gzip, Zstd };

  TCompressedInput();
  ~TCompressedInput();
  TCompressedInput(const TCompressedInput&) = delete;
  TCompressedInput& operator=(const TCompressedInput&) = delete;

  [[nodiscard]] bool Open(const std::string& path, std::string& error);
  // The content given whole instead of a file's (the fuzz target's input).
  [[nodiscard]] bool OpenBytes(std::string bytes, std::string& error);
  // Up to `size` bytes of the content; 0 at its end or after a failure (Error() then says why).
  [[nodiscard]] std::size_t Read(char* buffer, std::size_t size);
  [[nodiscard]] const std::string& Error() const noexcept { return Failure; }
  [[nodiscard]] TFormat Format() const noexcept { return Kind; }
  // Whether this build can read files of `format`.
  [[nodiscard]] static bool Supports(TFormat format) noexcept;

 private:
  class TDecoder;
  class TGzipDecoder;
  class TZstdDecoder;

  [[nodiscard]] bool Start(std::string& error);
  // The raw bytes of the file, compressed or not.
  [[nodiscard]] std::size_t ReadRaw(char* buffer, std::size_t size);

  std::ifstream File;
  TFormat Kind = TFormat::Plain;
  std::unique_ptr<TDecoder> Decoder;
  std::string Pending;  // bytes read to tell the format, not handed out yet
  std::size_t PendingPos = 0;
  std::string Failure;
};

}  // namespace Vellumetric
