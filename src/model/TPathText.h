#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

namespace Vellumetric {

// An immutable, shared path text. A folder's path is stored as a link to its parent's path plus
// the text appended to it ("\Data", "/usr"), so a folder costs its own name whatever its depth,
// and every file record of a folder shares the folder's one path rather than copying it. Str()
// spells the whole path out when it is needed (for display, saving, a listing by full path).
class TPathText {
 public:
  TPathText() noexcept = default;
  // A path given whole, such as a scan root; its leaf (see Leaf) starts at `leafStart`.
  explicit TPathText(std::string_view text, std::size_t leafStart = 0);
  // `parent` followed by `separator` and `name`, with no normalisation; `name` is its leaf.
  [[nodiscard]] static TPathText Child(const TPathText& parent, std::string_view separator,
                                       std::string_view name);

  TPathText(const TPathText& other) noexcept;
  TPathText(TPathText&& other) noexcept;
  TPathText& operator=(const TPathText& other) noexcept;
  TPathText& operator=(TPathText&& other) noexcept;
  ~TPathText();

  [[nodiscard]] std::string Str() const;
  [[nodiscard]] std::size_t Length() const noexcept;
  [[nodiscard]] bool Empty() const noexcept { return Length() == 0; }
  // The last character, or '\0' for an empty path; cheap, unlike Str().
  [[nodiscard]] char Back() const noexcept;
  // The name this path was made with: Child's `name`, or a whole path's text from its leaf
  // start. It lives in the shared text, so a folder needs no copy of its own name; the view is
  // valid while any copy of this path lives.
  [[nodiscard]] std::string_view Leaf() const noexcept;

  // True when both hold the very same shared text (as the files of one folder do): a cheap test
  // that lets a reader reuse what it made of the previous record's path.
  [[nodiscard]] bool SharesTextWith(const TPathText& other) const noexcept {
    return Block == other.Block;
  }

  friend bool operator==(const TPathText& a, std::string_view b) noexcept;
  friend bool operator==(const TPathText& a, const TPathText& b);

 private:
  struct TBlock;
  static TBlock* Make(const TBlock* parent, std::string_view first, std::string_view second,
                      std::size_t leafStart);
  static void Release(TBlock* block) noexcept;

  TBlock* Block = nullptr;
};

}  // namespace Vellumetric
