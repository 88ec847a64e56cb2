#include <gtest/gtest.h>

#include "system/posix/TMountTable.h"

namespace Vellumetric {
namespace {

constexpr const char* kFixture =
    "22 27 0:21 / /proc rw,relatime - proc proc rw\n"
    "27 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda rw,discard\n"
    "40 27 8:17 / /media/My\\040Stick rw,nosuid master:3 - vfat /dev/sdb1 rw,fmask=0022\n"
    "41 27 254:0 /srv/data /mnt/bind rw - ext4 /dev/vda rw\n"
    "garbage line without the separator\n"
    "42 27 0:50 / /mnt/nfs rw - nfs4 server:/export rw,vers=4.2\n"
    "43 27 7:0 / /snap/core rw - squashfs /dev/loop0 ro\n"
    "44 27 0:60 / /var/lib/docker/overlay rw - overlay overlay rw,lowerdir=/a\n";

TEST(TMountTable, ParsesFieldsEscapesAndOptionalTags) {
  const TMountTable table = TMountTable::Parse(kFixture);
  ASSERT_EQ(table.All().size(), 7u);  // the garbage line is passed over
  const TMountEntry& stick = table.All()[2];
  EXPECT_EQ(stick.MountPoint, "/media/My Stick");
  EXPECT_EQ(stick.FsType, "vfat");
  EXPECT_EQ(stick.Source, "/dev/sdb1");
  EXPECT_EQ(stick.Major, 8u);
  EXPECT_EQ(stick.Minor, 17u);
  EXPECT_EQ(stick.SuperOptions, "rw,fmask=0022");
  EXPECT_EQ(table.All()[3].Root, "/srv/data");
  EXPECT_EQ(table.All()[4].Source, "server:/export");
}

TEST(TMountTable, FindByDeviceTakesTheFirstMount) {
  const TMountTable table = TMountTable::Parse(kFixture);
  const TMountEntry* root = table.FindByDevice(254, 0);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->MountPoint, "/");
  EXPECT_EQ(table.FindByDevice(9, 9), nullptr);
}

TEST(TMountTable, KernelFileSystemsAreVirtual) {
  for (const char* type : {"proc", "sysfs", "devtmpfs", "cgroup2", "nsfs", "efivarfs"}) {
    EXPECT_TRUE(IsVirtualFileSystemType(type)) << type;
  }
  for (const char* type : {"ext4", "tmpfs", "btrfs", "nfs4", "overlay", "fuse.sshfs"}) {
    EXPECT_FALSE(IsVirtualFileSystemType(type)) << type;
  }
  EXPECT_TRUE(IsVirtualFileSystemMagic(0x9fa0));       // proc
  EXPECT_FALSE(IsVirtualFileSystemMagic(0xEF53));      // ext4
  EXPECT_FALSE(IsVirtualFileSystemMagic(0x01021994));  // tmpfs holds real files
}

}  // namespace
}  // namespace Vellumetric
