#include "exchange/TCompressedInput.h"

#include <algorithm>
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

namespace Vellumetric {
namespace {

constexpr std::size_t kChunk = 256 * 1024;

bool StartsWith(const std::string& bytes, const char* magic, std::size_t length) {
  return bytes.size() >= length && std::memcmp(bytes.data(), magic, length) == 0;
}

}  // namespace

class TCompressedInput::TDecoder {
 public:
  explicit TDecoder(TCompressedInput& owner) : Owner(owner), In(kChunk) {}
  virtual ~TDecoder() = default;
  // Decompressed bytes into `buffer`; 0 at the end of the stream or after a failure.
  virtual std::size_t Read(char* buffer, std::size_t size) = 0;

 protected:
  // Refills the compressed buffer when it is used up; false at the end of the file.
  bool Refill() {
    if (InPos < InEnd) return true;
    InPos = 0;
    InEnd = Owner.ReadRaw(In.data(), In.size());
    return InEnd > 0;
  }
  void Fail(std::string text) {
    if (Owner.Failure.empty()) Owner.Failure = std::move(text);
  }

  TCompressedInput& Owner;
  std::vector<char> In;
  std::size_t InPos = 0;
  std::size_t InEnd = 0;
};

#ifdef VLM_HAVE_ZLIB
class TCompressedInput::TGzipDecoder final : public TDecoder {
 public:
  explicit TGzipDecoder(TCompressedInput& owner) : TDecoder(owner) {
    // 15 + 32: a zlib or gzip header, detected; gzip members one after another are one stream.
    if (inflateInit2(&Stream, 15 + 32) != Z_OK)
      Fail("cannot start the gzip decompressor");
    else
      Ready = true;
  }
  ~TGzipDecoder() override {
    if (Ready) inflateEnd(&Stream);
  }

  std::size_t Read(char* buffer, std::size_t size) override {
    if (!Ready || Broken || Ended) return 0;
    Stream.next_out = reinterpret_cast<Bytef*>(buffer);
    Stream.avail_out = static_cast<uInt>(std::min<std::size_t>(size, 1U << 30));
    while (Stream.avail_out > 0) {
      if (!Refill()) {
        if (!Ended && Stream.total_out == 0)
          Fail("the gzip stream is empty");
        else if (!Ended)
          Fail("the gzip stream is truncated");
        break;
      }
      Stream.next_in = reinterpret_cast<Bytef*>(In.data() + InPos);
      Stream.avail_in = static_cast<uInt>(InEnd - InPos);
      const int result = inflate(&Stream, Z_NO_FLUSH);
      InPos = InEnd - Stream.avail_in;
      if (result == Z_STREAM_END) {
        // Another member may follow (gzip files can be concatenated).
        if (!Refill()) {
          Ended = true;
          break;
        }
        inflateReset(&Stream);
        continue;
      }
      if (result != Z_OK && result != Z_BUF_ERROR) {
        Fail(std::string("the gzip stream is damaged: ") + (Stream.msg ? Stream.msg : "error"));
        Broken = true;  // still ended in the destructor
        break;
      }
    }
    return static_cast<std::size_t>(reinterpret_cast<char*>(Stream.next_out) - buffer);
  }

 private:
  z_stream Stream{};
  bool Ready = false;
  bool Broken = false;
  bool Ended = false;
};
#endif

#ifdef VLM_HAVE_ZSTD
class TCompressedInput::TZstdDecoder final : public TDecoder {
 public:
  explicit TZstdDecoder(TCompressedInput& owner) : TDecoder(owner), Stream(ZSTD_createDStream()) {
    if (!Stream) Fail("cannot start the zstd decompressor");
  }
  ~TZstdDecoder() override { ZSTD_freeDStream(Stream); }

  std::size_t Read(char* buffer, std::size_t size) override {
    if (!Stream || Broken) return 0;
    ZSTD_outBuffer out{buffer, size, 0};
    while (out.pos < out.size) {
      if (!Refill()) {
        // A frame left open at the end of the file was cut short.
        if (!FrameDone) Fail("the zstd stream is truncated");
        break;
      }
      ZSTD_inBuffer in{In.data(), InEnd, InPos};
      const std::size_t result = ZSTD_decompressStream(Stream, &out, &in);
      InPos = in.pos;
      if (ZSTD_isError(result)) {
        Fail(std::string("the zstd stream is damaged: ") + ZSTD_getErrorName(result));
        Broken = true;
        break;
      }
      FrameDone = result == 0;
    }
    return out.pos;
  }

 private:
  ZSTD_DStream* Stream;
  bool FrameDone = false;
  bool Broken = false;
};
#endif

TCompressedInput::TCompressedInput() = default;
TCompressedInput::~TCompressedInput() = default;

bool TCompressedInput::Supports(TFormat format) noexcept {
  switch (format) {
    case TFormat::Plain:
      return true;
    case TFormat::Gzip:
#ifdef VLM_HAVE_ZLIB
      return true;
#else
      return false;
#endif
    case TFormat::Zstd:
#ifdef VLM_HAVE_ZSTD
      return true;
#else
      return false;
#endif
  }
  return false;
}

bool TCompressedInput::Open(const std::string& path, std::string& error) {
  File.open(Utf8Path(path), std::ios::binary);
  if (!File) {
    error = std::strerror(errno != 0 ? errno : ENOENT);
    return false;
  }
  char magic[4] = {};
  File.read(magic, sizeof magic);
  Pending.assign(magic, static_cast<std::size_t>(File.gcount()));
  return Start(error);
}

bool TCompressedInput::OpenBytes(std::string bytes, std::string& error) {
  Pending = std::move(bytes);
  return Start(error);
}

// Tells the format by the first bytes, which are in Pending.
bool TCompressedInput::Start(std::string& error) {
  if (StartsWith(Pending, "\x1f\x8b", 2)) Kind = TFormat::Gzip;
  if (StartsWith(Pending, "\x28\xb5\x2f\xfd", 4)) Kind = TFormat::Zstd;
  if (!Supports(Kind)) {
    error = Kind == TFormat::Gzip ? "it is gzip-compressed, which this build cannot read: "
                                    "decompress it first (gunzip)"
                                  : "it is zstd-compressed, which this build cannot read: "
                                    "decompress it first (unzstd)";
    return false;
  }
#ifdef VLM_HAVE_ZLIB
  if (Kind == TFormat::Gzip) Decoder = std::make_unique<TGzipDecoder>(*this);
#endif
#ifdef VLM_HAVE_ZSTD
  if (Kind == TFormat::Zstd) Decoder = std::make_unique<TZstdDecoder>(*this);
#endif
  if (!Failure.empty()) {
    error = Failure;
    return false;
  }
  return true;
}

std::size_t TCompressedInput::ReadRaw(char* buffer, std::size_t size) {
  std::size_t done = 0;
  if (PendingPos < Pending.size()) {
    done = std::min(size, Pending.size() - PendingPos);
    std::memcpy(buffer, Pending.data() + PendingPos, done);
    PendingPos += done;
    if (done == size) return done;
  }
  if (!File.is_open() || File.eof()) return done;
  File.read(buffer + done, static_cast<std::streamsize>(size - done));
  if (File.bad()) {
    if (Failure.empty()) Failure = "the file could not be read to its end";
    return done;
  }
  return done + static_cast<std::size_t>(File.gcount());
}

std::size_t TCompressedInput::Read(char* buffer, std::size_t size) {
  if (!Failure.empty()) return 0;
  return Decoder ? Decoder->Read(buffer, size) : ReadRaw(buffer, size);
}

}  // namespace Vellumetric
