#pragma once

#include <string>

namespace Vellumetric {

// Where the process's memory is, as text for a person measuring it: the C runtime's heap (live
// blocks, their count and sizes, what the heap keeps beyond them), the rest of the address space
// by kind, and the window system's objects. Costs a walk of the heap: for measuring, not for
// every run.
[[nodiscard]] std::string MemoryReportText();

}  // namespace Vellumetric
