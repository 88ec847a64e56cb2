#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace Vellumetric {

// Little-endian fields of on-disk NTFS structures. Every reader checks its bounds: the bytes
// come from a volume that may be damaged or hostile, so an offset read from them is never
// trusted. A field beyond the end reads as 0 and clears `ok`.
class TNtfsBytes {
 public:
  TNtfsBytes() noexcept = default;
  TNtfsBytes(const std::uint8_t* data, std::size_t size) noexcept : Data(data), Length(size) {}
  explicit TNtfsBytes(std::span<const std::uint8_t> bytes) noexcept
      : Data(bytes.data()), Length(bytes.size()) {}

  [[nodiscard]] std::size_t Size() const noexcept { return Length; }
  [[nodiscard]] const std::uint8_t* Raw() const noexcept { return Data; }
  [[nodiscard]] bool Has(std::size_t offset, std::size_t count) const noexcept {
    return offset <= Length && count <= Length - offset;
  }
  // The bytes [offset, offset + count), or an empty view when they do not all lie inside.
  [[nodiscard]] TNtfsBytes Sub(std::size_t offset, std::size_t count) const noexcept {
    return Has(offset, count) ? TNtfsBytes(Data + offset, count) : TNtfsBytes();
  }

  [[nodiscard]] std::uint8_t U8(std::size_t at, bool& ok) const noexcept {
    return Read<std::uint8_t>(at, ok);
  }
  [[nodiscard]] std::uint16_t U16(std::size_t at, bool& ok) const noexcept {
    return Read<std::uint16_t>(at, ok);
  }
  [[nodiscard]] std::uint32_t U32(std::size_t at, bool& ok) const noexcept {
    return Read<std::uint32_t>(at, ok);
  }
  [[nodiscard]] std::uint64_t U64(std::size_t at, bool& ok) const noexcept {
    return Read<std::uint64_t>(at, ok);
  }

 private:
  // A fixed width, so the copy is one load: this runs for every field of every record.
  template <typename T>
  [[nodiscard]] T Read(std::size_t at, bool& ok) const noexcept {
    if (!Has(at, sizeof(T))) {
      ok = false;
      return 0;
    }
    T value = 0;
    if constexpr (std::endian::native == std::endian::little) {
      std::memcpy(&value, Data + at, sizeof(T));
    } else {
      for (std::size_t i = sizeof(T); i-- > 0;) value = static_cast<T>((value << 8) | Data[at + i]);
    }
    return value;
  }

  const std::uint8_t* Data = nullptr;
  std::size_t Length = 0;
};

}  // namespace Vellumetric
