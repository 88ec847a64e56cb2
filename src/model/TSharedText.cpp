#include "model/TSharedText.h"

#include <cstring>
#include <new>
#include <stdexcept>

namespace Vellumetric {

// Header and characters live in one allocation: one malloc per folder path.
TSharedText::TSharedText(std::string_view text) {
  if (text.empty()) return;
  if (text.size() > UINT32_MAX) throw std::length_error("TSharedText: text too long");
  void* memory = ::operator new(sizeof(TBlock) + text.size());
  Block = new (memory) TBlock{{1}, static_cast<std::uint32_t>(text.size())};
  std::memcpy(reinterpret_cast<char*>(Block + 1), text.data(), text.size());
}

TSharedText::TSharedText(const TSharedText& other) noexcept : Block(other.Block) {
  if (Block) Block->Refs.fetch_add(1, std::memory_order_relaxed);
}

TSharedText::TSharedText(TSharedText&& other) noexcept : Block(other.Block) {
  other.Block = nullptr;
}

TSharedText& TSharedText::operator=(const TSharedText& other) noexcept {
  if (this != &other) {
    if (other.Block) other.Block->Refs.fetch_add(1, std::memory_order_relaxed);
    Release();
    Block = other.Block;
  }
  return *this;
}

TSharedText& TSharedText::operator=(TSharedText&& other) noexcept {
  if (this != &other) {
    Release();
    Block = other.Block;
    other.Block = nullptr;
  }
  return *this;
}

TSharedText::~TSharedText() { Release(); }

std::string_view TSharedText::View() const noexcept {
  if (!Block) return {};
  return {reinterpret_cast<const char*>(Block + 1), Block->Length};
}

void TSharedText::Release() noexcept {
  if (Block && Block->Refs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
    Block->~TBlock();
    ::operator delete(Block);
  }
  Block = nullptr;
}

}  // namespace Vellumetric
