#include "system/posix/TPosixDirectoryLister.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "model/TFileDisk.h"

namespace Vellumetric {
namespace {

constexpr std::size_t kListingBufferSize = 64 * 1024;
constexpr int kDirFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK;

// Seconds since 1970 to 100 ns units since 1601, as the records keep file times.
std::uint64_t ToFileTime(const struct timespec& t) {
  constexpr std::int64_t kEpochDelta = 11644473600LL;
  if (t.tv_sec < -kEpochDelta) return 0;
  return static_cast<std::uint64_t>(t.tv_sec + kEpochDelta) * 10000000ULL +
         static_cast<std::uint64_t>(t.tv_nsec) / 100ULL;
}

// A folder that vanished, or was replaced by something else, between its listing and its
// opening is not an error: the walk just finds nothing there.
int OpenError(int error) {
  return error == ENOENT || error == ENOTDIR || error == ELOOP ? 0 : error;
}

// Opens the folder `name` unless it is a mount point: that one must be measured as before it is
// entered, without triggering an automount (an unmounted automount point is not entered at all).
// -1 then, and for any other failure; the caller measures by name instead.
int OpenUnlessMountPoint(int dirFd, const char* name) {
  static std::atomic<bool> unsupported{false};  // a kernel or sandbox without openat2
  if (unsupported.load(std::memory_order_relaxed)) return -1;
  struct open_how how {};
  how.flags = kDirFlags | O_NOFOLLOW;
  how.resolve = RESOLVE_NO_XDEV;
  const long fd = ::syscall(SYS_openat2, dirFd, name, &how, sizeof how);
  if (fd < 0 && (errno == ENOSYS || errno == EPERM)) {
    unsupported.store(true, std::memory_order_relaxed);
  }
  return static_cast<int>(fd);
}

// The allocation du counts: st_blocks is in 512-byte units on every Linux file system.
std::uint64_t AllocatedBytes(const struct stat& st) {
  return st.st_blocks > 0 ? static_cast<std::uint64_t>(st.st_blocks) * 512U : 0;
}

// Holes, or compression (btrfs, ZFS): at least one block fewer than the bytes would fill. A
// small file kept inline in its inode has no block at all and is neither.
bool LooksSparse(const struct stat& st, std::uint64_t allocated) {
  const auto size = static_cast<std::uint64_t>(st.st_size > 0 ? st.st_size : 0);
  const auto block = static_cast<std::uint64_t>(st.st_blksize > 0 ? st.st_blksize : 4096);
  return allocated + block <= size;
}

bool IsDotOrDotDot(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Appends the names of the folder open at `fd` (per entry: d_type byte, name, NUL); answers why
// reading stopped early, or 0.
int ReadNamesInto(int fd, std::vector<char>& names) {
  // One buffer per thread, not per lister: a parallel scan makes a lister per handed-off folder,
  // and the listers of one thread never read at the same time.
  thread_local std::vector<char> Buffer(kListingBufferSize);
  for (;;) {
    const ssize_t n = ::getdents64(fd, Buffer.data(), Buffer.size());
    if (n <= 0) return n < 0 && errno != ENOENT ? errno : 0;  // ENOENT: the folder was removed
    for (ssize_t off = 0; off < n;) {
      const auto* d = reinterpret_cast<const struct dirent64*>(Buffer.data() + off);
      off += d->d_reclen;
      if (IsDotOrDotDot(d->d_name)) continue;
      names.push_back(static_cast<char>(d->d_type));
      names.insert(names.end(), d->d_name, d->d_name + std::strlen(d->d_name) + 1);
    }
  }
}

// The d_type of the entry `file` in names read by ReadNamesInto, or -1 when there is none.
int FindName(const std::vector<char>& names, std::string_view file) {
  for (std::size_t pos = 0; pos < names.size();) {
    const char* name = &names[pos + 1];
    const std::size_t length = std::strlen(name);
    if (std::string_view(name, length) == file) return static_cast<unsigned char>(names[pos]);
    pos += length + 2;
  }
  return -1;
}

}  // namespace

TPosixDirectoryLister::TPosixDirectoryLister(std::size_t descriptorBudget)
    : Budget(descriptorBudget < 2 ? 2 : descriptorBudget) {}

TPosixDirectoryLister::~TPosixDirectoryLister() = default;

bool TPosixDirectoryLister::EnterRoot(std::string_view path, bool stayOnRootVolume) {
  const std::string text(path);
  Error = 0;
  TUniqueFd fd(::open(text.c_str(), kDirFlags));
  struct stat st {};
  if (!fd.Valid() || ::fstat(fd.Get(), &st) != 0) {
    Error = errno;  // the root itself: even a vanished one is worth saying
    return false;
  }
  StayOnRoot = stayOnRootVolume;
  HasOpenedNames = false;
  RootDev = st.st_dev;
  RootBlocks = AllocatedBytes(st);
  if (!MayEnterDevice(st.st_dev, fd.Get(), st.st_dev + 1)) return false;
  return Push(std::move(fd), st);
}

// Opens the entry `name` that the innermost listing returned last, as a folder that the walk may
// enter (not on a skipped volume). Sets Error when the system refused.
bool TPosixDirectoryLister::OpenChild(std::string_view name, TUniqueFd& fd, struct stat& st) {
  Error = 0;
  if (Depth == 0) return false;
  TFrame& parent = *Frames[Depth - 1];
  if (!parent.Fd.Valid()) return false;
  if (Opened.Valid()) {
    fd = std::move(Opened);  // Next opened it already to measure it
  } else {
    const std::string text(name);
    fd.Reset(::openat(parent.Fd.Get(), text.c_str(), kDirFlags | O_NOFOLLOW));
  }
  if (!fd.Valid()) {
    Error = OpenError(errno);
    return false;
  }
  // The entry's own fstatat already gave its identity (and, through a mount point, that of the
  // mounted root); a second stat per folder is only needed when that one failed.
  if (parent.LastIno != 0) {
    st.st_dev = parent.LastDev;
    st.st_ino = parent.LastIno;
  } else if (::fstat(fd.Get(), &st) != 0) {
    Error = errno;
    return false;
  }
  return MayEnterDevice(st.st_dev, fd.Get(), parent.Dev);
}

bool TPosixDirectoryLister::EnterChild(std::string_view name, std::string_view /*fullPath*/) {
  TUniqueFd fd;
  struct stat st {};
  if (!OpenChild(name, fd, st)) return false;
  TFrame& parent = *Frames[Depth - 1];
  if (parent.Pos >= parent.Names.size()) {
    CloseFrameFd(parent);  // nothing left to list there: no need to come back through ".."
  } else if (OpenCount + 1 > Budget) {
    CloseFrameFd(parent);
    parent.NeedsReopen = true;
    ++PendingReopens;
  }
  Carried.Reset();
  return Push(std::move(fd), st);
}

std::unique_ptr<TDirectoryLister> TPosixDirectoryLister::CloneEmpty(
    std::size_t descriptorBudget) const {
  auto clone = std::make_unique<TPosixDirectoryLister>(descriptorBudget);
  clone->StayOnRoot = StayOnRoot;
  clone->RootDev = RootDev;
  clone->Mounts = Mounts;
  return clone;
}

bool TPosixDirectoryLister::HandOff(std::string_view name, std::string_view /*fullPath*/,
                                    TDirectoryLister& other) {
  TUniqueFd fd;
  struct stat st {};
  if (!OpenChild(name, fd, st)) return false;
  auto& receiver = static_cast<TPosixDirectoryLister&>(other);
  receiver.Error = 0;
  if (HasOpenedNames) {
    receiver.OpenedNames.swap(OpenedNames);
    receiver.OpenedNamesError = OpenedNamesError;
    receiver.HasOpenedNames = true;
    HasOpenedNames = false;
  }
  return receiver.Push(std::move(fd), st, false);
}

bool TPosixDirectoryLister::HasMore() const {
  return Depth > 0 && Frames[Depth - 1]->Pos < Frames[Depth - 1]->Names.size();
}

bool TPosixDirectoryLister::Next(TDirEntry& entry) {
  Error = 0;
  Opened.Reset();
  HasOpenedNames = false;
  if (Depth == 0) return false;
  TFrame& top = *Frames[Depth - 1];
  if (top.NamesPending) {
    top.NamesPending = false;
    ReadNames(top);
  }
  while (top.Pos < top.Names.size() && top.Fd.Valid()) {
    const unsigned char type = static_cast<unsigned char>(top.Names[top.Pos]);
    const char* name = &top.Names[top.Pos + 1];
    const std::size_t length = std::strlen(name);
    top.Pos += length + 2;
    struct stat st {};
    if (!Measure(top.Fd.Get(), name, type, st)) {
      if (errno == ENOENT) continue;  // removed since the names were read
      top.LastDev = 0;
      top.LastIno = 0;
      entry = TDirEntry{{name, length}, type == DT_DIR, 0, 0, errno, 0, 0, {}};
      return true;
    }
    top.LastDev = st.st_dev;
    top.LastIno = st.st_ino;
    entry.Name = {name, length};
    entry.IsDirectory = S_ISDIR(st.st_mode);
    entry.Size = st.st_size > 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
    entry.DiskSize = AllocatedBytes(st);
    entry.DiskFlags = !entry.IsDirectory && LooksSparse(st, entry.DiskSize) ? DiskSparse : 0;
    // A mount point seen from a drive scan shows the other volume's root: none of its bytes,
    // not even the root folder's own size, belong to this drive (as du -x counts it).
    if (entry.IsDirectory && StayOnRoot && st.st_dev != RootDev) {
      entry.Size = 0;
      entry.DiskSize = 0;
    }
    entry.LastAccess = ToFileTime(st.st_atim);
    entry.LastChange = ToFileTime(st.st_mtim);
    entry.Error = 0;
    // Only a file with other names needs to be told apart; folders' links are their
    // subfolders' "..", never a second name.
    entry.Identity.File = 0;
    if (!entry.IsDirectory && st.st_nlink > 1) {
      entry.Identity = {static_cast<std::uint64_t>(st.st_dev),
                        static_cast<std::uint64_t>(st.st_ino),
                        static_cast<std::uint32_t>(st.st_nlink), false};
    }
    return true;
  }
  if (top.Pos >= top.Names.size()) Error = top.ReadError;
  return false;
}

// A folder is opened first and measured through its descriptor, which the walk then enters with:
// one look-up of its name instead of two. Anything else, or a folder that does not open (no
// permission, a mount point, or replaced meanwhile), is measured by name without following links.
bool TPosixDirectoryLister::Measure(int dirFd, const char* name, unsigned char type,
                                    struct stat& st) {
  if (type == DT_DIR) {
    Opened.Reset(OpenUnlessMountPoint(dirFd, name));
    if (Opened.Valid() && ::fstat(Opened.Get(), &st) == 0) return true;
    Opened.Reset();
  }
  return ::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT) == 0;
}

void TPosixDirectoryLister::Leave() {
  Opened.Reset();
  HasOpenedNames = false;
  if (Depth == 0) return;
  TFrame& top = *Frames[Depth - 1];
  TUniqueFd up;
  if (PendingReopens > 0 && Depth >= 2) {
    const int source = top.Fd.Valid() ? top.Fd.Get() : Carried.Get();
    if (source >= 0) up.Reset(::openat(source, "..", kDirFlags));
  }
  CloseFrameFd(top);
  Carried.Reset();
  --Depth;
  if (Depth > 0) RestoreParent(up);
}

// `up` is a descriptor of the new innermost folder obtained through "..", or invalid.
void TPosixDirectoryLister::RestoreParent(TUniqueFd& up) {
  TFrame& frame = *Frames[Depth - 1];
  if (frame.NeedsReopen) {
    frame.NeedsReopen = false;
    --PendingReopens;
    struct stat st {};
    if (up.Valid() && ::fstat(up.Get(), &st) == 0 && st.st_dev == frame.Dev &&
        st.st_ino == frame.Ino) {
      frame.Fd = std::move(up);
      ++OpenCount;
    } else {
      frame.Pos = frame.Names.size();  // moved away meanwhile: the listing ends here
    }
    return;
  }
  // An ancestor further up still waits for its descriptor: keep climbing from here.
  if (!frame.Fd.Valid() && up.Valid()) Carried = std::move(up);
}

bool TPosixDirectoryLister::Push(TUniqueFd fd, const struct stat& st, bool readNames) {
  if (Frames.size() <= Depth) Frames.push_back(std::make_unique<TFrame>());
  TFrame& frame = *Frames[Depth];
  frame.Fd = std::move(fd);
  ++OpenCount;
  frame.Dev = st.st_dev;
  frame.Ino = st.st_ino;
  frame.Names.clear();
  frame.Pos = 0;
  frame.NeedsReopen = false;
  frame.NamesPending = false;
  frame.LastDev = 0;
  frame.LastIno = 0;
  frame.ReadError = 0;
  if (HasOpenedNames) {  // a marker rule has read them already
    frame.Names.swap(OpenedNames);
    frame.ReadError = OpenedNamesError;
    HasOpenedNames = false;
    readNames = false;
  } else {
    frame.NamesPending = !readNames;
  }
  if (readNames) ReadNames(frame);
  ++Depth;
  return true;
}

// A read error part way keeps the names read so far, as a listing that fails part way should.
void TPosixDirectoryLister::ReadNames(TFrame& frame) {
  frame.ReadError = ReadNamesInto(frame.Fd.Get(), frame.Names);
}

// The folder is opened here just as EnterChild would open it (and EnterChild then takes that
// descriptor); one that does not open cannot be listed, so nothing in it can be seen either.
std::optional<bool> TPosixDirectoryLister::ListedFolderHolds(std::string_view name,
                                                             std::string_view file,
                                                             std::string_view signature) {
  if (Depth == 0) return false;
  if (!Opened.Valid()) {
    TFrame& parent = *Frames[Depth - 1];
    if (!parent.Fd.Valid()) return false;
    const std::string text(name);
    Opened.Reset(::openat(parent.Fd.Get(), text.c_str(), kDirFlags | O_NOFOLLOW));
    if (!Opened.Valid()) return false;
  }
  if (!HasOpenedNames) {
    OpenedNames.clear();
    OpenedNamesError = ReadNamesInto(Opened.Get(), OpenedNames);
    HasOpenedNames = true;
  }
  const int type = FindName(OpenedNames, file);
  if (type < 0) return false;
  if (signature.empty()) return true;
  return type != DT_DIR && StartsWith(Opened.Get(), std::string(file).c_str(), signature);
}

// Follows a link, as a look-up of the tag by its path would.
bool TPosixDirectoryLister::StartsWith(int dirFd, const char* file, std::string_view signature) {
  const TUniqueFd fd(::openat(dirFd, file, O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat st {};
  if (!fd.Valid() || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  std::string head(signature.size(), '\0');
  std::size_t got = 0;
  while (got < head.size()) {
    const ssize_t n = ::read(fd.Get(), head.data() + got, head.size() - got);
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  return got == head.size() && head == signature;
}

bool TPosixDirectoryLister::MayEnterDevice(dev_t dev, int fd, dev_t parentDev) {
  if (dev == parentDev) return true;
  if (StayOnRoot && dev != RootDev) return false;
  if (!Mounts) Mounts = std::make_shared<const TMountTable>(TMountTable::LoadCurrent());
  if (const TMountEntry* mount = Mounts->FindByDevice(major(dev), minor(dev))) {
    return !IsVirtualFileSystemType(mount->FsType);
  }
  struct statfs fs {};
  if (::fstatfs(fd, &fs) == 0) {
    return !IsVirtualFileSystemMagic(static_cast<std::uint64_t>(fs.f_type));
  }
  return true;
}

void TPosixDirectoryLister::CloseFrameFd(TFrame& frame) {
  if (frame.Fd.Valid()) {
    frame.Fd.Reset();
    --OpenCount;
  }
}

}  // namespace Vellumetric
