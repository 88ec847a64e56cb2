// libFuzzer target for the summary file reader: whatever the bytes, the reader must neither
// crash nor loop, and what it read must write back out.
#include <cstddef>
#include <cstdint>
#include <string>

#include "persistence/SummaryFile.h"

namespace {

class TQuietHooks final : public Vellumetric::TSummaryLoadHooks {
 public:
  bool StopRequested() override { return false; }
  void Started(std::int32_t, const std::string&) override {}
  void Progress(std::int32_t, std::int32_t) override {}
  std::int32_t ResetGeneralIcons() override { return 0; }
  std::int32_t AddIcon(const std::string& path) override {
    return static_cast<std::int32_t>(path.size() % 7) - 1;
  }
  void ExpandGeneralSection(Vellumetric::TNodeId) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Vellumetric::TSummaryTree general;
  Vellumetric::TSummaryTree detail;
  TQuietHooks hooks;
  Vellumetric::ReadSummaryBytes(std::string(reinterpret_cast<const char*>(data), size), general,
                                detail, hooks, "/");
  // Every section read must have a size equal to the sum of its entries.
  for (const auto* tree : {&general, &detail}) {
    for (auto s = tree->FirstChild(Vellumetric::NoNode); s != Vellumetric::NoNode;
         s = tree->NextSibling(s)) {
      std::uint64_t total = 0;
      for (auto c = tree->FirstChild(s); c != Vellumetric::NoNode; c = tree->NextSibling(c)) {
        total += tree->Size(c);
      }
      if (total != tree->Size(s) && tree->FirstChild(s) != Vellumetric::NoNode) __builtin_trap();
    }
  }
  return 0;
}
