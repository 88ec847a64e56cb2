// Drives and volume data on POSIX: mountinfo, statvfs/statfs and sysfs.
#include <dirent.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "system/StringTable.h"
#include "system/TDiskInfo.h"
#include "system/TDriveInfo.h"
#include "system/posix/TMountTable.h"
#include "system/posix/VolumeRules.h"

namespace Vellumetric {
namespace {

std::string ReadFirstLine(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}

std::string SysBlock(unsigned major, unsigned minor) {
  return "/sys/dev/block/" + std::to_string(major) + ":" + std::to_string(minor);
}

// A partition has no "removable" of its own: its disk's (the parent folder in sysfs) decides.
bool IsRemovableBlockDevice(unsigned major, unsigned minor) {
  const std::string base = SysBlock(major, minor);
  std::string flag = ReadFirstLine(base + "/removable");
  if (flag.empty()) flag = ReadFirstLine(base + "/../removable");
  return flag == "1";
}

std::uint32_t LogicalBlockSize(unsigned major, unsigned minor) {
  const std::string base = SysBlock(major, minor);
  std::string text = ReadFirstLine(base + "/queue/logical_block_size");
  if (text.empty()) text = ReadFirstLine(base + "/../queue/logical_block_size");
  const long value = std::strtol(text.c_str(), nullptr, 10);
  return value > 0 ? static_cast<std::uint32_t>(value) : 512;
}

std::string RealPath(const std::string& path) {
  char buf[PATH_MAX];
  return ::realpath(path.c_str(), buf) ? std::string(buf) : std::string();
}

// Labels as udev publishes them, with its \xNN escapes undone.
std::string UnescapeUdev(const std::string& name) {
  std::string out;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (name.compare(i, 2, "\\x") == 0 && i + 4 <= name.size()) {
      out.push_back(static_cast<char>(std::strtol(name.substr(i + 2, 2).c_str(), nullptr, 16)));
      i += 3;
    } else {
      out.push_back(name[i]);
    }
  }
  return out;
}

std::string VolumeLabel(const std::string& source) {
  const std::string device = RealPath(source);
  DIR* dir = ::opendir("/dev/disk/by-label");
  if (!dir || device.empty()) {
    if (dir) ::closedir(dir);
    return {};
  }
  std::string label;
  while (const dirent* e = ::readdir(dir)) {
    if (e->d_name[0] == '.') continue;
    if (RealPath(std::string("/dev/disk/by-label/") + e->d_name) == device) {
      label = UnescapeUdev(e->d_name);
      break;
    }
  }
  ::closedir(dir);
  return label;
}

// The mount that holds `root`: by device, else the longest mount point that prefixes it.
const TMountEntry* MountOf(const TMountTable& mounts, const std::string& root, dev_t dev) {
  if (const TMountEntry* m = mounts.FindByDevice(major(dev), minor(dev))) return m;
  const TMountEntry* best = nullptr;
  for (const TMountEntry& m : mounts.All()) {
    const bool prefix = root.compare(0, m.MountPoint.size(), m.MountPoint) == 0 &&
                        (root.size() == m.MountPoint.size() || m.MountPoint == "/" ||
                         root[m.MountPoint.size()] == '/');
    if (prefix && (!best || m.MountPoint.size() >= best->MountPoint.size())) best = &m;
  }
  return best;
}

}  // namespace

void BuildDiskList(TDiskList& disks) {
  const TMountTable mounts = TMountTable::LoadCurrent();
  for (const TMountEntry& m : SelectFixedDrives(mounts, IsRemovableBlockDevice)) {
    TDiskInfo disk;
    std::string label = VolumeLabel(m.Source);
    if (label.empty()) label = LoadResString(IDS_LOCAL_DISK);
    disk.Name = label + " (" + m.MountPoint + ")";
    disk.RootPath = m.MountPoint;
    struct statvfs vfs {};
    if (::statvfs(m.MountPoint.c_str(), &vfs) == 0) {
      FillDiskUsage(disk, static_cast<std::uint64_t>(vfs.f_blocks) * vfs.f_frsize,
                    static_cast<std::uint64_t>(vfs.f_bavail) * vfs.f_frsize);
    }
    disks.push_back(std::move(disk));
  }
}

TVolumeFacts QueryVolumeFacts(std::string_view rootText) {
  TVolumeFacts facts;
  const std::string root(rootText);
  struct statvfs vfs {};
  struct statfs fs {};
  struct stat st {};
  if (::statvfs(root.c_str(), &vfs) != 0 || ::statfs(root.c_str(), &fs) != 0 ||
      ::stat(root.c_str(), &st) != 0) {
    return facts;
  }
  const TMountTable mounts = TMountTable::LoadCurrent();
  const TMountEntry* mount = MountOf(mounts, root, st.st_dev);
  facts.Valid = true;
  // The low half of the 64-bit id that `stat -f` prints.
  int fsid[2];
  static_assert(sizeof fsid == sizeof fs.f_fsid);
  std::memcpy(fsid, &fs.f_fsid, sizeof fsid);
  facts.Serial = static_cast<std::uint32_t>(fsid[1]);
  facts.FileSystem = mount ? mount->FsType : std::string();
  facts.MaxNameLength = static_cast<std::uint32_t>(vfs.f_namemax);
  facts.TotalBytes = static_cast<std::uint64_t>(vfs.f_blocks) * vfs.f_frsize;
  facts.UserFreeBytes = static_cast<std::uint64_t>(vfs.f_bavail) * vfs.f_frsize;
  facts.TotalClusters = vfs.f_blocks;
  facts.FreeClusters = vfs.f_bfree;
  facts.BytesPerSector = mount ? LogicalBlockSize(mount->Major, mount->Minor) : 512;
  facts.SectorsPerCluster = static_cast<std::uint32_t>(vfs.f_frsize / facts.BytesPerSector);
  const bool readOnly = (vfs.f_flag & ST_RDONLY) != 0;
  facts.Flags = mount ? FileSystemFlags(*mount, readOnly) : (readOnly ? (1u << 19) : 0);
  return facts;
}

}  // namespace Vellumetric
