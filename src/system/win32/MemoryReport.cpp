#include "system/MemoryReport.h"

#include <windows.h>
// After windows.h, which it needs first.
#include <psapi.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace Vellumetric {
namespace {

constexpr std::size_t kSizeClasses = 24;  // powers of two up to 8 MiB; the last holds the rest

struct THeapFigures {
  std::uint64_t Busy = 0, BusyBlocks = 0, Overhead = 0, Free = 0, Committed = 0, Uncommitted = 0;
  std::array<std::uint64_t, kSizeClasses> Blocks{}, Bytes{};
};

std::size_t SizeClass(std::uint64_t size) {
  std::size_t c = 0;
  while (c + 1 < kSizeClasses && (std::uint64_t{1} << c) < size) ++c;
  return c;
}

THeapFigures WalkHeap(HANDLE heap) {
  THeapFigures f;
  if (!HeapLock(heap)) return f;
  PROCESS_HEAP_ENTRY entry{};
  while (HeapWalk(heap, &entry)) {
    if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) {
      f.Busy += entry.cbData;
      f.Overhead += entry.cbOverhead;
      ++f.BusyBlocks;
      const std::size_t c = SizeClass(entry.cbData);
      ++f.Blocks[c];
      f.Bytes[c] += entry.cbData;
    } else if (entry.wFlags & PROCESS_HEAP_REGION) {
      f.Committed += entry.Region.dwCommittedSize;
      f.Uncommitted += entry.Region.dwUnCommittedSize;
    } else if (entry.wFlags & PROCESS_HEAP_UNCOMMITTED_RANGE) {
      // counted with its region
    } else {
      f.Free += entry.cbData;
    }
  }
  HeapUnlock(heap);
  return f;
}

void Append(std::string& text, const char* format, auto... values) {
  char line[256];
  std::snprintf(line, sizeof line, format, values...);
  text += line;
}

double MiB(std::uint64_t bytes) {
  return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

void AddAddressSpace(std::string& text) {
  std::uint64_t priv = 0, mapped = 0, image = 0, reserved = 0;
  MEMORY_BASIC_INFORMATION m{};
  for (const char* at = nullptr; VirtualQuery(at, &m, sizeof m) == sizeof m;
       at = static_cast<const char*>(m.BaseAddress) + m.RegionSize) {
    if (m.State == MEM_RESERVE) reserved += m.RegionSize;
    if (m.State != MEM_COMMIT) continue;
    if (m.Type == MEM_PRIVATE) priv += m.RegionSize;
    if (m.Type == MEM_MAPPED) mapped += m.RegionSize;
    if (m.Type == MEM_IMAGE) image += m.RegionSize;
    if (at > reinterpret_cast<const char*>(std::uintptr_t{1} << 47)) break;
  }
  Append(text, "committed: private %.1f MiB, mapped %.1f MiB, image %.1f MiB; reserved %.1f MiB\n",
         MiB(priv), MiB(mapped), MiB(image), MiB(reserved));
}

}  // namespace

std::string MemoryReportText() {
  std::string text;
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  if (GetProcessMemoryInfo(GetCurrentProcess(),
                           reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                           sizeof counters)) {
    Append(text, "working set %.1f MiB (peak %.1f), private %.1f MiB (peak %.1f)\n",
           MiB(counters.WorkingSetSize), MiB(counters.PeakWorkingSetSize),
           MiB(counters.PrivateUsage), MiB(counters.PeakPagefileUsage));
  }
  // Wine does not count them (0); Windows does.
  Append(text, "GDI objects %lu (peak %lu), USER objects %lu (peak %lu)\n",
         GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS),
         GetGuiResources(GetCurrentProcess(), 2 /* GR_GDIOBJECTS_PEAK */),
         GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS),
         GetGuiResources(GetCurrentProcess(), 4 /* GR_USEROBJECTS_PEAK */));
  AddAddressSpace(text);
  std::vector<HANDLE> heaps(256);
  const DWORD count = GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data());
  heaps.resize(std::min<std::size_t>(count, heaps.size()));
  for (HANDLE heap : heaps) {
    const THeapFigures f = WalkHeap(heap);
    if (f.Committed + f.Busy < (1u << 20)) continue;
    Append(text,
           "heap %p%s: %llu blocks, %.1f MiB asked, %.1f MiB overhead, %.1f MiB free; regions "
           "%.1f MiB committed, %.1f MiB reserved only\n",
           heap, heap == GetProcessHeap() ? " (process)" : "",
           static_cast<unsigned long long>(f.BusyBlocks), MiB(f.Busy), MiB(f.Overhead), MiB(f.Free),
           MiB(f.Committed), MiB(f.Uncommitted));
    for (std::size_t c = 0; c < kSizeClasses; ++c) {
      if (f.Blocks[c] < 1000 && f.Bytes[c] < (1u << 20)) continue;
      Append(text, "  up to %8llu B: %9llu blocks, %8.1f MiB\n",
             static_cast<unsigned long long>(std::uint64_t{1} << c),
             static_cast<unsigned long long>(f.Blocks[c]), MiB(f.Bytes[c]));
    }
  }
  return text;
}

}  // namespace Vellumetric
