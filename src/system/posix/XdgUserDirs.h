#pragma once

#include <map>
#include <string>
#include <string_view>

namespace Vellumetric {

// Parses user-dirs.dirs text (lines such as XDG_MUSIC_DIR="$HOME/Music") into key -> absolute
// path, with "$HOME" expanded. Relative or malformed entries are left out.
[[nodiscard]] std::map<std::string, std::string> ParseXdgUserDirs(std::string_view text,
                                                                  const std::string& home);

}  // namespace Vellumetric
