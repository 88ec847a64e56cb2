#include "system/posix/VolumeRules.h"

#include <algorithm>
#include <array>
#include <set>
#include <utility>

namespace Vellumetric {
namespace {

enum : std::uint32_t {
  CaseSensitive = 1u << 0,
  CasePreserved = 1u << 1,
  Unicode = 1u << 2,
  Acls = 1u << 3,
  Compression = 1u << 4,
  Quotas = 1u << 5,
  Sparse = 1u << 6,
  Reparse = 1u << 7,  // symbolic links
  ObjectIds = 1u << 16,
  Encryption = 1u << 17,
  NamedStreams = 1u << 18,
  ReadOnly = 1u << 19,
  Transactions = 1u << 21,
  HardLinks = 1u << 22,
  Xattrs = 1u << 23,
  OpenById = 1u << 24,
  UsnJournal = 1u << 25,
};

constexpr std::uint32_t kUnix = CaseSensitive | CasePreserved | Unicode | Acls | Sparse | Reparse |
                                HardLinks | Xattrs | OpenById;
constexpr std::uint32_t kFat = CasePreserved | Unicode;

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

bool IsNetworkType(std::string_view type) {
  static constexpr std::array<std::string_view, 12> kNetwork = {
      "nfs",  "nfs4",      "cifs", "smb3",  "smbfs",      "9p",
      "ceph", "glusterfs", "afs",  "ncpfs", "fuse.sshfs", "davfs"};
  return std::find(kNetwork.begin(), kNetwork.end(), type) != kNetwork.end();
}

}  // namespace

std::uint32_t FileSystemFlagsForType(std::string_view t) {
  if (t == "ext4") return kUnix | Encryption;
  if (t == "f2fs") return kUnix | Encryption | Compression;
  if (t == "ext2" || t == "ext3" || t == "xfs" || t == "jfs" || t == "reiserfs") return kUnix;
  if (t == "btrfs") return kUnix | Compression;
  if (t == "zfs") return kUnix | Compression | Encryption;
  if (t == "tmpfs") return kUnix;
  if (t == "vfat" || t == "msdos" || t == "exfat") return kFat;
  if (t == "ntfs" || t == "ntfs3") {
    return CaseSensitive | CasePreserved | Unicode | Acls | Compression | Sparse | Reparse |
           ObjectIds | Encryption | NamedStreams | HardLinks | Xattrs | OpenById | UsnJournal;
  }
  if (t == "iso9660" || t == "udf") return CasePreserved | Unicode;
  return 0;
}

bool HasQuotaOption(std::string_view options) {
  while (!options.empty()) {
    const std::size_t comma = options.find(',');
    const std::string_view opt = options.substr(0, comma);
    if (opt == "quota" || opt == "usrquota" || opt == "grpquota" || opt == "prjquota" ||
        StartsWith(opt, "usrjquota=") || StartsWith(opt, "grpjquota=")) {
      return true;
    }
    if (comma == std::string_view::npos) break;
    options.remove_prefix(comma + 1);
  }
  return false;
}

std::uint32_t FileSystemFlags(const TMountEntry& mount, bool readOnly) {
  std::uint32_t flags = FileSystemFlagsForType(mount.FsType);
  if (readOnly) flags |= ReadOnly;
  if (HasQuotaOption(mount.Options) || HasQuotaOption(mount.SuperOptions)) flags |= Quotas;
  return flags;
}

std::vector<TMountEntry> SelectFixedDrives(const TMountTable& mounts,
                                           const TRemovableTest& isRemovable) {
  std::vector<TMountEntry> drives;
  std::set<std::pair<unsigned, unsigned>> seen;
  for (const TMountEntry& m : mounts.All()) {
    if (!StartsWith(m.Source, "/dev/") || StartsWith(m.Source, "/dev/loop") ||
        StartsWith(m.Source, "/dev/ram") || StartsWith(m.Source, "/dev/zram")) {
      continue;
    }
    if (IsVirtualFileSystemType(m.FsType) || IsNetworkType(m.FsType)) continue;
    if (!seen.insert({m.Major, m.Minor}).second) continue;
    if (isRemovable(m.Major, m.Minor)) continue;
    drives.push_back(m);
  }
  std::stable_sort(drives.begin(), drives.end(),
                   [](const auto& a, const auto& b) { return a.MountPoint < b.MountPoint; });
  return drives;
}

}  // namespace Vellumetric
