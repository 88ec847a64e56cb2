#include "exchange/TCompressedOutput.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include "system/TextEncoding.h"

#ifdef VLM_HAVE_ZLIB
#include <zlib.h>
#endif
#ifdef VLM_HAVE_ZSTD
#include <zstd.h>
#endif

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace Vellumetric {
namespace {

constexpr std::size_t kChunk = 256 * 1024;

bool EndsWith(const std::string& text, std::string_view end) {
  return text.size() > end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

class TCompressedOutput::TEncoder {
 public:
  explicit TEncoder(TCompressedOutput& owner) : Owner(owner), Out(kChunk) {}
  virtual ~TEncoder() = default;
  virtual void Write(const char* bytes, std::size_t size) = 0;
  virtual void Finish() = 0;

 protected:
  void Fail(const std::string& text) {
    if (Owner.Failure.empty()) Owner.Failure = text;
  }
  TCompressedOutput& Owner;
  std::vector<char> Out;
};

#ifdef VLM_HAVE_ZLIB
class TCompressedOutput::TGzipEncoder final : public TEncoder {
 public:
  explicit TGzipEncoder(TCompressedOutput& owner) : TEncoder(owner) {
    // 15 + 16: a gzip header and trailer around the deflate stream.
    Ready = deflateInit2(&Stream, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) == Z_OK;
    if (!Ready) Fail("cannot start the gzip compressor");
  }
  ~TGzipEncoder() override {
    if (Ready) deflateEnd(&Stream);
  }
  void Write(const char* bytes, std::size_t size) override { Run(bytes, size, Z_NO_FLUSH); }
  void Finish() override { Run(nullptr, 0, Z_FINISH); }

 private:
  void Run(const char* bytes, std::size_t size, int flush) {
    if (!Ready) return;
    Stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes));
    Stream.avail_in = static_cast<uInt>(size);
    int result = Z_OK;
    do {
      Stream.next_out = reinterpret_cast<Bytef*>(Out.data());
      Stream.avail_out = static_cast<uInt>(Out.size());
      result = deflate(&Stream, flush);
      Owner.WriteRaw(Out.data(), Out.size() - Stream.avail_out);
    } while (Stream.avail_out == 0 || (flush == Z_FINISH && result == Z_OK));
  }

  z_stream Stream{};
  bool Ready = false;
};
#endif

#ifdef VLM_HAVE_ZSTD
class TCompressedOutput::TZstdEncoder final : public TEncoder {
 public:
  explicit TZstdEncoder(TCompressedOutput& owner) : TEncoder(owner), Stream(ZSTD_createCCtx()) {
    if (!Stream) Fail("cannot start the zstd compressor");
  }
  ~TZstdEncoder() override { ZSTD_freeCCtx(Stream); }
  void Write(const char* bytes, std::size_t size) override { Run(bytes, size, ZSTD_e_continue); }
  void Finish() override { Run(nullptr, 0, ZSTD_e_end); }

 private:
  void Run(const char* bytes, std::size_t size, ZSTD_EndDirective mode) {
    if (!Stream) return;
    ZSTD_inBuffer in{bytes, size, 0};
    for (;;) {
      ZSTD_outBuffer out{Out.data(), Out.size(), 0};
      const std::size_t left = ZSTD_compressStream2(Stream, &out, &in, mode);
      if (ZSTD_isError(left)) {
        Fail(std::string("zstd: ") + ZSTD_getErrorName(left));
        return;
      }
      Owner.WriteRaw(Out.data(), out.pos);
      const bool done = mode == ZSTD_e_end ? left == 0 : in.pos == in.size;
      if (done) return;
    }
  }

  ZSTD_CCtx* Stream;
};
#endif

TCompressedOutput::TCompressedOutput() = default;

TCompressedOutput::~TCompressedOutput() {
  if (File && OwnsFile) std::fclose(File);
}

bool TCompressedOutput::Open(const std::string& path, std::string& error) {
  const bool gzip = EndsWith(path, ".gz");
  const bool zstd = EndsWith(path, ".zst");
#ifndef VLM_HAVE_ZLIB
  if (gzip) {
    error = "this build cannot write gzip-compressed files: name the file without .gz";
    return false;
  }
#endif
#ifndef VLM_HAVE_ZSTD
  if (zstd) {
    error = "this build cannot write zstd-compressed files: name the file without .zst";
    return false;
  }
#endif
  if (path == "-") {
    File = stdout;
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
  } else {
#ifdef _WIN32
    File = _wfopen(Utf8Path(path).c_str(), L"wb");
#else
    File = std::fopen(path.c_str(), "wb");
#endif
    OwnsFile = true;
  }
  if (!File) {
    error = std::strerror(errno);
    return false;
  }
#ifdef VLM_HAVE_ZLIB
  if (gzip) Encoder = std::make_unique<TGzipEncoder>(*this);
#endif
#ifdef VLM_HAVE_ZSTD
  if (zstd) Encoder = std::make_unique<TZstdEncoder>(*this);
#endif
  (void)gzip;
  (void)zstd;
  Buffer.reserve(kChunk);
  return Failure.empty() || (error = Failure, false);
}

void TCompressedOutput::Write(std::string_view bytes) {
  Buffer.append(bytes);
  if (Buffer.size() >= kChunk) FlushBuffer();
}

void TCompressedOutput::FlushBuffer() {
  if (Buffer.empty()) return;
  if (Encoder)
    Encoder->Write(Buffer.data(), Buffer.size());
  else
    WriteRaw(Buffer.data(), Buffer.size());
  Buffer.clear();
}

void TCompressedOutput::WriteRaw(const char* bytes, std::size_t size) {
  if (!File || size == 0 || !Failure.empty()) return;
  if (std::fwrite(bytes, 1, size, File) != size) Failure = std::strerror(errno);
}

bool TCompressedOutput::Close(std::string& error) {
  if (!File) {
    error = Failure.empty() ? "not open" : Failure;
    return false;
  }
  FlushBuffer();
  if (Encoder) Encoder->Finish();
  if (std::fflush(File) != 0 && Failure.empty()) Failure = std::strerror(errno);
  if (OwnsFile && std::fclose(File) != 0 && Failure.empty()) Failure = std::strerror(errno);
  File = nullptr;
  error = Failure;
  return Failure.empty();
}

}  // namespace Vellumetric
