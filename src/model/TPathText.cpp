#include "model/TPathText.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>
#include <utility>

namespace Vellumetric {

// Header and appended characters share one allocation.
struct TPathText::TBlock {
  mutable std::atomic<std::uint32_t> Refs;
  std::uint32_t SuffixLength;
  std::uint32_t TotalLength;
  std::uint32_t LeafStart;  // in the suffix; fills what would be padding before Parent
  TBlock* Parent;           // holds one reference

  const char* Suffix() const noexcept { return reinterpret_cast<const char*>(this + 1); }
};

TPathText::TBlock* TPathText::Make(const TBlock* parent, std::string_view first,
                                   std::string_view second, std::size_t leafStart) {
  const std::size_t suffix = first.size() + second.size();
  const std::size_t total = suffix + (parent ? parent->TotalLength : 0);
  if (total > UINT32_MAX) throw std::length_error("TPathText: path too long");
  void* memory = ::operator new(sizeof(TBlock) + suffix);
  auto* block = new (memory) TBlock{{1},
                                    static_cast<std::uint32_t>(suffix),
                                    static_cast<std::uint32_t>(total),
                                    static_cast<std::uint32_t>(std::min(leafStart, suffix)),
                                    const_cast<TBlock*>(parent)};
  if (parent) parent->Refs.fetch_add(1, std::memory_order_relaxed);
  char* out = reinterpret_cast<char*>(block + 1);
  if (!first.empty()) std::memcpy(out, first.data(), first.size());
  if (!second.empty()) std::memcpy(out + first.size(), second.data(), second.size());
  return block;
}

// Iterative: dropping the last path of a chain 10,000 folders deep must not recurse 10,000 times.
void TPathText::Release(TBlock* block) noexcept {
  while (block && block->Refs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
    TBlock* parent = block->Parent;
    block->~TBlock();
    ::operator delete(block);
    block = parent;
  }
}

TPathText::TPathText(std::string_view text, std::size_t leafStart) {
  if (!text.empty()) Block = Make(nullptr, text, {}, leafStart);
}

TPathText TPathText::Child(const TPathText& parent, std::string_view separator,
                           std::string_view name) {
  TPathText result;
  result.Block = Make(parent.Block, separator, name, separator.size());
  return result;
}

TPathText::TPathText(const TPathText& other) noexcept : Block(other.Block) {
  if (Block) Block->Refs.fetch_add(1, std::memory_order_relaxed);
}

TPathText::TPathText(TPathText&& other) noexcept : Block(std::exchange(other.Block, nullptr)) {}

TPathText& TPathText::operator=(const TPathText& other) noexcept {
  if (other.Block) other.Block->Refs.fetch_add(1, std::memory_order_relaxed);
  Release(Block);
  Block = other.Block;
  return *this;
}

TPathText& TPathText::operator=(TPathText&& other) noexcept {
  if (this != &other) {
    Release(Block);
    Block = std::exchange(other.Block, nullptr);
  }
  return *this;
}

TPathText::~TPathText() {
  Release(Block);
}

std::size_t TPathText::Length() const noexcept {
  return Block ? Block->TotalLength : 0;
}

std::string TPathText::Str() const {
  std::string text(Length(), '\0');
  std::size_t end = text.size();
  for (const TBlock* b = Block; b; b = b->Parent) {
    end -= b->SuffixLength;
    if (b->SuffixLength) std::memcpy(text.data() + end, b->Suffix(), b->SuffixLength);
  }
  return text;
}

char TPathText::Back() const noexcept {
  for (const TBlock* b = Block; b; b = b->Parent) {
    if (b->SuffixLength) return b->Suffix()[b->SuffixLength - 1];
  }
  return '\0';
}

std::string_view TPathText::Leaf() const noexcept {
  if (!Block) return {};
  return {Block->Suffix() + Block->LeafStart, Block->SuffixLength - Block->LeafStart};
}

bool operator==(const TPathText& a, std::string_view b) noexcept {
  if (a.Length() != b.size()) return false;
  std::size_t end = b.size();
  for (const TPathText::TBlock* k = a.Block; k; k = k->Parent) {
    end -= k->SuffixLength;
    if (b.compare(end, k->SuffixLength, k->Suffix(), k->SuffixLength) != 0) return false;
  }
  return true;
}

bool operator==(const TPathText& a, const TPathText& b) {
  return a.Block == b.Block || (a.Length() == b.Length() && a == std::string_view(b.Str()));
}

}  // namespace Vellumetric
