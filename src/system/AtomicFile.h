#pragma once

#include <string>
#include <string_view>

namespace Vellumetric {

// Replaces (or creates) `folder`/`name` with `bytes` so that the file is either the old one or
// the complete new one, never a half-written mix: the bytes go to a temporary file in the same
// folder, are flushed to the disk, and only then is the temporary file renamed over the target.
// On any failure the temporary file is removed, an existing target is left untouched, and
// `error` receives the system's reason ("No space left on device").
[[nodiscard]] bool ReplaceFileAtomically(const std::string& folder, const std::string& name,
                                         std::string_view bytes, std::string& error);

// The prefix of the temporary files; they never end in a name the program lists.
inline constexpr const char* AtomicTempPrefix = ".vlm-save-";

}  // namespace Vellumetric
