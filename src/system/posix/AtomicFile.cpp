#include "system/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "system/SystemFolders.h"
#include "system/posix/TUniqueFd.h"

namespace Vellumetric {
namespace {

bool Fail(std::string& error, int code, const std::string& tempPath) {
  error = std::strerror(code);
  if (!tempPath.empty()) ::unlink(tempPath.c_str());
  return false;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// mkstemp makes the file readable by its owner only; a summary gets the mode any new file of
// the user gets, or keeps the mode of the file it replaces.
mode_t NewFileMode(const std::string& target) {
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) return st.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

bool ReplaceFileAtomically(const std::string& folder, const std::string& name,
                           std::string_view bytes, std::string& error) {
  const std::string target = JoinNativePath(folder, name);
  std::string temp = JoinNativePath(folder, std::string(AtomicTempPrefix) + "XXXXXX");
  TUniqueFd fd(::mkostemp(temp.data(), O_CLOEXEC));
  if (!fd.Valid()) return Fail(error, errno, {});
  static_cast<void>(::fchmod(fd.Get(), NewFileMode(target)));
  // A full disk often shows only at fsync or close (delayed allocation, network file systems).
  if (!WriteAll(fd.Get(), bytes) || ::fsync(fd.Get()) != 0) return Fail(error, errno, temp);
  if (::close(fd.Release()) != 0) return Fail(error, errno, temp);
  if (::rename(temp.c_str(), target.c_str()) != 0) return Fail(error, errno, temp);
  // Make the new directory entry itself durable; a failure here no longer loses anything.
  TUniqueFd dir(::open(folder.empty() ? "/" : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.Valid()) ::fsync(dir.Get());
  return true;
}

}  // namespace Vellumetric
