#include "TTreeBuilder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <sstream>
#include <stdexcept>

#include "TTempDir.h"

namespace Vellumetric::Testing {

bool MakeNestedChain(const std::string& parent, const std::string& name, int depth,
                     unsigned long long fileSize) {
  int fd = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  for (int level = 0; level < depth; ++level) {
    if (::mkdirat(fd, name.c_str(), 0755) != 0) break;
    const int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::close(fd);
    if (next < 0) return false;
    fd = next;
    const int file = ::openat(fd, "level.dat", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (file < 0 || ::ftruncate(file, static_cast<off_t>(fileSize)) != 0) {
      if (file >= 0) ::close(file);
      ::close(fd);
      return false;
    }
    ::close(file);
  }
  ::close(fd);
  return true;
}

TDiskTruth MeasureWithDuAndFind(const std::string& root) {
  int status = 0;
  const std::string q = ShellQuote(root);
  const std::string du = RunCommand("du --apparent-size -b -l -x -s " + q + " | cut -f1", &status);
  const std::string own = RunCommand("stat -c %s " + q);
  const std::string entries = RunCommand("find " + q + " -xdev -mindepth 1 -printf . | wc -c");
  if (status != 0 || du.empty()) throw std::runtime_error("du failed on " + root);
  const std::string disk = RunCommand("du -B1 -x -s " + q + " | cut -f1", &status);
  if (status != 0 || disk.empty()) throw std::runtime_error("du -B1 failed on " + root);
  return {std::stoull(du) - std::stoull(own), std::stoull(entries), std::stoull(disk)};
}

std::vector<TFileFact> FindRegularFiles(const std::string& root, const std::string& findTests,
                                        const std::function<bool(const TFileFact&)>&) {
  std::istringstream lines(RunCommand("LC_ALL=C find " + ShellQuote(root) + " -type f " +
                                      findTests + " -printf '%s %p\\n'"));
  std::vector<TFileFact> files;
  std::string line;
  while (std::getline(lines, line)) {
    const std::size_t blank = line.find(' ');
    const std::string path = line.substr(blank + 1);
    files.push_back({path, path.substr(path.rfind('/') + 1), std::stoull(line.substr(0, blank))});
  }
  std::sort(files.begin(), files.end(), [](auto& a, auto& b) { return a.Path < b.Path; });
  return files;
}

}  // namespace Vellumetric::Testing
