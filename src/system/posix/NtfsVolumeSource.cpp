#include "system/ntfs/NtfsVolumeSource.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "system/posix/TUniqueFd.h"

namespace Vellumetric {
namespace {

// An image file or a partition, read with pread through the page cache: warm rereads then cost
// no disk time, and a partition needs no alignment.
class TPosixNtfsSource final : public TNtfsByteSource {
 public:
  TPosixNtfsSource(TUniqueFd fd, std::uint64_t size) : Fd(std::move(fd)), Length(size) {
    // The MFT is read front to back in large pieces: let the kernel read ahead further.
    (void)::posix_fadvise(Fd.Get(), 0, 0, POSIX_FADV_SEQUENTIAL);
  }

  [[nodiscard]] bool ReadAt(std::uint64_t offset, void* buffer, std::size_t size,
                            std::string& error) override {
    auto* out = static_cast<char*>(buffer);
    while (size > 0) {
      const ssize_t n = ::pread(Fd.Get(), out, size, static_cast<off_t>(offset));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        error = n == 0 ? "read past the end" : std::strerror(errno);
        return false;
      }
      out += n;
      offset += static_cast<std::uint64_t>(n);
      size -= static_cast<std::size_t>(n);
    }
    return true;
  }
  [[nodiscard]] std::uint64_t Size() const override { return Length; }
  [[nodiscard]] std::size_t Alignment() const override { return 1; }

  // pread goes through the page cache and shares no state between calls.
  [[nodiscard]] bool CachedReads() const override { return true; }

 private:
  TUniqueFd Fd;
  std::uint64_t Length;
};

}  // namespace

bool DriveRootsAreRawVolumes() {
  return false;
}

std::unique_ptr<TNtfsByteSource> OpenNtfsVolume(std::string_view root, std::string& reason) {
  const std::string path(root);
  TUniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat st {};
  if (!fd.Valid() || ::fstat(fd.Get(), &st) != 0) {
    reason = "cannot open " + path + ": " + std::strerror(errno);
    return nullptr;
  }
  std::uint64_t size = 0;
  if (S_ISBLK(st.st_mode)) {
    if (::ioctl(fd.Get(), BLKGETSIZE64, &size) != 0) size = 0;
  } else if (S_ISREG(st.st_mode)) {
    size = static_cast<std::uint64_t>(st.st_size);
  } else {
    reason = path + " is neither an image file nor a partition";
    return nullptr;
  }
  return std::make_unique<TPosixNtfsSource>(std::move(fd), size);
}

}  // namespace Vellumetric
