#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Vellumetric {

// Program state that is not an option: where the windows were, their splitters and columns, the
// tab open last. Kept as `key=value` lines under a "[WindowState]" heading in a small file of the
// data folder, which is replaced whole and atomically. Such state is a convenience: a file that
// does not read back cleanly is ignored whole, and the windows start with their defaults.
class TWindowStateFile {
 public:
  static constexpr const char* FileName = "window-state.ini";

  // Replaces what is held by the file at `path`. False, and nothing held, when the file is
  // missing, too large, or anything in it is not as this class writes it.
  bool Load(const std::string& path);
  // Writes everything held to `folder`/FileName; `error` receives the system's reason.
  [[nodiscard]] bool Save(const std::string& folder, std::string& error) const;

  // Keys are letters, digits and . _ - ; anything else is not stored.
  void SetInts(std::string_view key, const std::vector<int>& values);
  // A value of one line of printable text; anything else is not stored.
  void SetText(std::string_view key, std::string_view value);
  void Remove(std::string_view key);

  // The numbers under `key` when there are exactly `count` of them (any count when 0), each
  // within [minimum, maximum]; nothing otherwise.
  [[nodiscard]] std::optional<std::vector<int>> Ints(std::string_view key, std::size_t count,
                                                     int minimum, int maximum) const;
  [[nodiscard]] std::optional<std::string> Text(std::string_view key) const;
  [[nodiscard]] bool Empty() const noexcept { return Values.empty(); }

 private:
  std::map<std::string, std::string, std::less<>> Values;
};

}  // namespace Vellumetric
