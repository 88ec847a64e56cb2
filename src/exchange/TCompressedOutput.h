#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace Vellumetric {

// Where an export goes: a file, compressed with gzip or zstd when its name ends in ".gz" or
// ".zst", or standard output for "-". Writes are buffered; Close() says whether everything
// reached its place.
class TCompressedOutput {
 public:
  TCompressedOutput();
  ~TCompressedOutput();
  TCompressedOutput(const TCompressedOutput&) = delete;
  TCompressedOutput& operator=(const TCompressedOutput&) = delete;

  [[nodiscard]] bool Open(const std::string& path, std::string& error);
  void Write(std::string_view bytes);
  // Finishes the stream and closes the file; false with `error` when anything failed.
  [[nodiscard]] bool Close(std::string& error);

 private:
  class TEncoder;
  class TGzipEncoder;
  class TZstdEncoder;

  void WriteRaw(const char* bytes, std::size_t size);
  void FlushBuffer();

  std::FILE* File = nullptr;
  bool OwnsFile = false;
  std::unique_ptr<TEncoder> Encoder;
  std::string Buffer;
  std::string Failure;
};

}  // namespace Vellumetric
