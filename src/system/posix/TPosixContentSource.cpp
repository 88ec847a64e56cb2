// Reading files to compare them, on POSIX: opened without following links and, where the kernel
// allows it, without touching the last-access time; identities from fstat; the rotational flag of
// sysfs for the disk a file lies on.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>

#include "system/TContentSource.h"
#include "system/posix/TMountTable.h"
#include "system/posix/TUniqueFd.h"

namespace Vellumetric {
namespace {

TFileStamp StampOf(const struct stat& st) {
  return {static_cast<std::uint64_t>(st.st_size),
          static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
          st.st_nlink == 0};
}

std::int64_t ReadFully(int fd, std::uint64_t offset, std::span<std::byte> buffer) {
  std::size_t done = 0;
  while (done < buffer.size()) {
    const ssize_t n =
        ::pread(fd, buffer.data() + done, buffer.size() - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return static_cast<std::int64_t>(done);
}

class TPosixOpenFile final : public TOpenFile {
 public:
  TPosixOpenFile(TUniqueFd fd, const struct stat& st)
      : Fd(std::move(fd)),
        Id{static_cast<std::uint64_t>(st.st_dev), 0, static_cast<std::uint64_t>(st.st_ino)},
        Opened(StampOf(st)) {}

  TOpenIdentity Identity() const noexcept override { return Id; }
  TFileStamp OpenedStamp() const noexcept override { return Opened; }
  bool CurrentStamp(TFileStamp& stamp) const override {
    struct stat st {};
    if (::fstat(Fd.Get(), &st) != 0) return false;
    stamp = StampOf(st);
    return true;
  }
  std::int64_t ReadAt(std::uint64_t offset, std::span<std::byte> buffer) override {
    return ReadFully(Fd.Get(), offset, buffer);
  }

 private:
  TUniqueFd Fd;
  TOpenIdentity Id;
  TFileStamp Opened;
};

std::string FirstLine(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}

// A partition has no queue of its own: its disk's, one folder up in sysfs, answers.
bool RotationalBlockDevice(unsigned major, unsigned minor) {
  const std::string base = "/sys/dev/block/" + std::to_string(major) + ":" + std::to_string(minor);
  std::string flag = FirstLine(base + "/queue/rotational");
  if (flag.empty()) flag = FirstLine(base + "/../queue/rotational");
  return flag == "1";
}

// Opened without a look first, which would cost a third of the system calls of a search: links
// are not followed, a pipe does not block, and devices, pipes and sockets (which could act on
// being opened, as a tape rewinds) never come here, as the scan gives them no size. O_NOATIME is
// only for the file's owner (or a process with CAP_FOWNER): anyone else reads without it, as the
// system then decides.
int OpenForReading(int folder, const char* path) {
  constexpr int kFlags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY;
  const int fd = ::openat(folder, path, kFlags | O_NOATIME);
  if (fd >= 0 || errno != EPERM) return fd;
  return ::openat(folder, path, kFlags);
}

TOpenOutcome Failure(int error) {
  if (error == ENOENT || error == ENOTDIR) return TOpenOutcome::Vanished;
  if (error == ELOOP || error == ENXIO) return TOpenOutcome::NotRegular;
  return TOpenOutcome::Unreadable;
}

// A folder held open, its files opened from it: the kernel looks up one name per file, not the
// whole path.
class TPosixFolder final : public TContentSource::TFolder {
 public:
  explicit TPosixFolder(TUniqueFd folder) : Folder(std::move(folder)) {}

  TOpenOutcome ReadStart(std::string_view name, std::span<std::byte> buffer, std::size_t& got,
                         bool cachedOnly) override {
    Name.assign(name);
    const int fd = OpenForReading(Folder.Get(), Name.c_str());
    if (fd < 0) return Failure(errno);
    const TUniqueFd file(fd);
    if (cachedOnly) {
      // RWF_NOWAIT: EAGAIN, or fewer bytes, when the page cache does not hold them all; a file
      // system that cannot say refuses the flag. Either way the file is read from the disk later.
      iovec piece{buffer.data(), buffer.size()};
      const ssize_t n = ::preadv2(fd, &piece, 1, 0, RWF_NOWAIT);
      if (n < 0 || static_cast<std::size_t>(n) < buffer.size()) return TOpenOutcome::NotCached;
      got = static_cast<std::size_t>(n);
      return TOpenOutcome::Opened;
    }
    const std::int64_t n = ReadFully(fd, 0, buffer);
    if (n < 0) return errno == EISDIR ? TOpenOutcome::NotRegular : TOpenOutcome::Unreadable;
    got = static_cast<std::size_t>(n);
    return TOpenOutcome::Opened;
  }

 private:
  TUniqueFd Folder;
  std::string Name;  // with its terminating zero
};

class TPosixContentSource final : public TContentSource {
 public:
  TOpenOutcome Open(const std::string& path, std::unique_ptr<TOpenFile>& file) override {
    const int fd = OpenForReading(AT_FDCWD, path.c_str());
    if (fd < 0) return Failure(errno);
    TUniqueFd owned(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0) return TOpenOutcome::Unreadable;
    if (!S_ISREG(st.st_mode)) return TOpenOutcome::NotRegular;
    if (st.st_size > 65536) (void)::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    file = std::make_unique<TPosixOpenFile>(std::move(owned), st);
    return TOpenOutcome::Opened;
  }

  // A file system without a block device of its own (btrfs, and anything with major 0) names its
  // device in the mount table.
  bool OnSpinningDisk(const std::string& path) override {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    unsigned major = ::major(st.st_dev);
    unsigned minor = ::minor(st.st_dev);
    if (major == 0) {
      const TMountTable mounts = TMountTable::LoadCurrent();
      const TMountEntry* mount = mounts.FindByDevice(major, minor);
      struct stat device {};
      if (!mount || mount->Source.rfind("/dev/", 0) != 0 ||
          ::stat(mount->Source.c_str(), &device) != 0 || !S_ISBLK(device.st_mode)) {
        return false;
      }
      major = ::major(device.st_rdev);
      minor = ::minor(device.st_rdev);
    }
    return RotationalBlockDevice(major, minor);
  }

  bool CachedReads() const override { return true; }

  std::unique_ptr<TFolder> EnterFolder(const std::string& path,
                                       std::string_view separator) override {
    const int fd = ::open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return TContentSource::EnterFolder(path, separator);
    return std::make_unique<TPosixFolder>(TUniqueFd(fd));
  }
};

}  // namespace

std::unique_ptr<TContentSource> CreateContentSource() {
  return std::make_unique<TPosixContentSource>();
}

}  // namespace Vellumetric
