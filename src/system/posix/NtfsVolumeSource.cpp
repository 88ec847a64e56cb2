#include "system/ntfs/NtfsVolumeSource.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "system/posix/TUniqueFd.h"

namespace Vellumetric {
namespace {

// An image file or a partition, through the page cache: warm rereads then cost no disk time, and
// a partition needs no alignment. The MFT is mapped rather than copied out of the cache (the copy
// cost as much as parsing the records); the boot sector and $UpCase are read.
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

  // Only inside the length found at opening: a mapping past a file's end faults when touched.
  [[nodiscard]] std::shared_ptr<const std::uint8_t> View(std::uint64_t offset,
                                                         std::size_t size) override {
    if (size == 0 || offset > Length || size > Length - offset) return nullptr;
    const std::uint64_t start = offset / Page * Page;
    const auto length = static_cast<std::size_t>(offset - start) + size;
    void* map = ::mmap(nullptr, length, PROT_READ, MAP_SHARED, Fd.Get(), static_cast<off_t>(start));
    if (map == MAP_FAILED) return nullptr;
    (void)::madvise(map, length, MADV_SEQUENTIAL);
    auto* base = static_cast<std::uint8_t*>(map);
    return {base + (offset - start),
            [base, length](const std::uint8_t*) { ::munmap(base, length); }};
  }

 private:
  TUniqueFd Fd;
  std::uint64_t Length;
  const std::uint64_t Page = ::sysconf(_SC_PAGESIZE) > 0
                                 ? static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE))
                                 : 4096;
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
