#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

namespace Vellumetric {

// An immutable text shared by reference count. A scan stores one folder path per folder and
// hands the same text to every file record of that folder: the record still holds "its" path
// (nobody can change it), but a folder of 10,000 files costs one string, not 10,000.
class TSharedText {
 public:
  TSharedText() noexcept = default;
  explicit TSharedText(std::string_view text);
  TSharedText(const TSharedText& other) noexcept;
  TSharedText(TSharedText&& other) noexcept;
  TSharedText& operator=(const TSharedText& other) noexcept;
  TSharedText& operator=(TSharedText&& other) noexcept;
  ~TSharedText();

  [[nodiscard]] std::string_view View() const noexcept;
  [[nodiscard]] std::string Str() const { return std::string(View()); }
  [[nodiscard]] bool Empty() const noexcept { return Block == nullptr; }
  [[nodiscard]] std::size_t Length() const noexcept { return View().size(); }
  operator std::string_view() const noexcept { return View(); }

  friend bool operator==(const TSharedText& a, std::string_view b) noexcept {
    return a.View() == b;
  }
  friend bool operator==(const TSharedText& a, const TSharedText& b) noexcept {
    return a.View() == b.View();
  }

 private:
  struct TBlock {
    std::atomic<std::uint32_t> Refs;
    std::uint32_t Length;
  };
  void Release() noexcept;

  TBlock* Block = nullptr;
};

}  // namespace Vellumetric
