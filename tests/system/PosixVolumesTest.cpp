#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "TTempDir.h"
#include "system/TDriveInfo.h"
#include "system/posix/VolumeRules.h"

namespace Vellumetric {
namespace {

using Testing::RunCommand;

// The root file system as the platform tools see it.
TEST(DriveInfo, RootVolumeAgreesWithDfAndStat) {
  const TVolumeFacts f = QueryVolumeFacts("/");
  ASSERT_TRUE(f.Valid);
  const std::string df = RunCommand("df -B1 --output=size,avail / | tail -1");
  unsigned long long size = 0, avail = 0;
  ASSERT_EQ(std::sscanf(df.c_str(), "%llu %llu", &size, &avail), 2);
  EXPECT_EQ(f.TotalBytes >> 30, size >> 30);
  EXPECT_NEAR(static_cast<double>(f.UserFreeBytes >> 30), static_cast<double>(avail >> 30), 1.0);
  const std::string stat = RunCommand("stat -f -c '%i %l %b %S' /");
  char id[32];
  unsigned long namelen = 0, blocks = 0, frsize = 0;
  ASSERT_EQ(std::sscanf(stat.c_str(), "%31s %lu %lu %lu", id, &namelen, &blocks, &frsize), 4);
  // stat prints the file-system id without leading zeros: pad it before taking the low half.
  std::string hex(id);
  if (hex.size() < 8) hex.insert(0, 8 - hex.size(), '0');
  std::string serial = hex.substr(hex.size() - 8);
  for (char& c : serial) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const TDriveInfo d = FormatDriveInfo("/", f);
  EXPECT_EQ(d.SerialNumber, serial.substr(0, 4) + "-" + serial.substr(4));
  EXPECT_EQ(f.MaxNameLength, namelen);
  EXPECT_EQ(f.TotalClusters, blocks);
  EXPECT_EQ(static_cast<unsigned long>(f.SectorsPerCluster) * f.BytesPerSector, frsize);
}

constexpr const char* kMounts =
    "21 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda1 rw,usrquota\n"
    "22 21 0:5 / /proc rw - proc proc rw\n"
    "23 21 254:0 /srv/data /mnt/bind rw - ext4 /dev/vda1 rw\n"
    "24 21 8:17 / /media/My\\040Stick rw - vfat /dev/sdb1 rw\n"
    "25 21 0:44 / /tmp rw - tmpfs tmpfs rw\n"
    "26 21 0:45 / /var/lib/docker/x rw - overlay overlay rw\n"
    "27 21 0:46 / /net/home rw - nfs4 server:/home rw\n"
    "28 21 0:47 / /net/share rw - cifs //server/share rw\n"
    "29 21 0:48 / /home/ann/remote rw - fuse.sshfs ann@host: rw\n"
    "30 21 7:0 / /snap/core/1 ro - squashfs /dev/loop0 ro\n"
    "31 21 259:2 / /data\\040disk rw - xfs /dev/nvme0n1p2 rw\n"
    "32 21 8:33 / /backup rw - fuseblk /dev/sdc1 rw\n"
    "33 21 9:0 / /raid rw - weirdfs /dev/md0 rw\n"
    "bad 21 8:1 / /x rw - ext4 /dev/sda1\n"
    "34 21 8:2 / /truncated rw\n"
    "35 21 8:3\n"
    "\n";

TEST(VolumeRules, FixedDrivesFromMountInfo) {
  const TMountTable table = TMountTable::Parse(kMounts);
  const auto drives = SelectFixedDrives(table, [](unsigned, unsigned) { return false; });
  std::vector<std::string> points;
  for (const auto& d : drives) points.push_back(d.MountPoint);
  EXPECT_EQ(points,
            (std::vector<std::string>{"/", "/backup", "/data disk", "/media/My Stick", "/raid"}));
  // A USB stick whose disk is removable drops out.
  const auto fixed = SelectFixedDrives(
      table, [](unsigned major, unsigned minor) { return major == 8 && minor == 17; });
  EXPECT_EQ(fixed.size(), 4u);
}

TEST(VolumeRules, FeatureFlags) {
  const TMountTable table = TMountTable::Parse(kMounts);
  const TMountEntry& root = table.All()[0];
  const std::uint32_t flags = FileSystemFlags(root, false);
  EXPECT_TRUE(flags & (1u << 5));    // usrquota
  EXPECT_TRUE(flags & (1u << 1));    // case preserved
  EXPECT_FALSE(flags & (1u << 19));  // writable
  EXPECT_TRUE(FileSystemFlags(root, true) & (1u << 19));
  TMountEntry unknown = table.All().back();
  EXPECT_EQ(unknown.FsType, "weirdfs");
  EXPECT_EQ(FileSystemFlags(unknown, false), 0u);  // no guess for an unknown type
  EXPECT_TRUE(HasQuotaOption("rw,usrjquota=aquota.user,jqfmt=vfsv0"));
  EXPECT_FALSE(HasQuotaOption("rw,noquota"));
  EXPECT_FALSE(FileSystemFlagsForType("vfat") & 1u);  // FAT is not case sensitive
}

}  // namespace
}  // namespace Vellumetric
