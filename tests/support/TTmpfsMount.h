#pragma once

#ifndef _WIN32
#include <sys/mount.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstring>
#include <string>

namespace Vellumetric::Testing {

// A small tmpfs mounted on an existing folder for the life of the object, to run a test against
// a file system that fills up. Needs root (or CAP_SYS_ADMIN); `Mounted()` false and `Reason()`
// say why otherwise, so the test can skip.
class TTmpfsMount {
 public:
  TTmpfsMount(std::string folder, unsigned kib) : Folder(std::move(folder)) {
#ifdef _WIN32
    (void)kib;
    Why = "a small file system to fill is mounted on Linux only (tmpfs)";
#else
    if (::geteuid() != 0) {
      Why = "needs root to mount a small tmpfs";
      return;
    }
    const std::string options = "size=" + std::to_string(kib) + "k,mode=0755";
    if (::mount("tmpfs", Folder.c_str(), "tmpfs", 0, options.c_str()) != 0) {
      Why = std::string("cannot mount a tmpfs: ") + std::strerror(errno);
      return;
    }
    IsMounted = true;
#endif
  }
  ~TTmpfsMount() {
#ifndef _WIN32
    if (IsMounted) ::umount2(Folder.c_str(), MNT_DETACH);
#endif
  }
  TTmpfsMount(const TTmpfsMount&) = delete;
  TTmpfsMount& operator=(const TTmpfsMount&) = delete;

  [[nodiscard]] bool Mounted() const noexcept { return IsMounted; }
  [[nodiscard]] const std::string& Reason() const noexcept { return Why; }

 private:
  std::string Folder;
  bool IsMounted = false;
  std::string Why;
};

// Fills the file system holding `folder` with one file until a write fails.
inline void FillUp(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  const std::string block(4096, 'x');
  while (std::fwrite(block.data(), 1, block.size(), f) == block.size() && std::fflush(f) == 0) {
  }
  std::fclose(f);
}

}  // namespace Vellumetric::Testing
