// The registry decides which name of a file counts on disk; the real-tree cases run through the
// command line against du, these are the NTFS-style table and the edges a Linux tree never makes.
#include "scan/THardLinkRegistry.h"

#include <gtest/gtest.h>

namespace Vellumetric {
namespace {

TEST(THardLinkRegistry, FirstNameCountsOnEveryVolumeAndTableKind) {
  THardLinkRegistry registry;
  // NTFS file ids: record number in the low 48 bits, a sequence number above; records far apart
  // land on pages of their own, and the same record on another volume is another file.
  const std::uint64_t seq = std::uint64_t{5} << 48;
  const TFileIdentity a{7, seq | 12, 0, true};
  const TFileIdentity far{7, seq | 4000000, 0, true};
  const TFileIdentity otherVolume{8, seq | 12, 0, true};
  EXPECT_TRUE(registry.Claim(a, 0).First);
  EXPECT_TRUE(registry.Claim(far, 1).First);
  EXPECT_TRUE(registry.Claim(otherVolume, 2).First);
  const auto second = registry.Claim(a, 3);
  EXPECT_FALSE(second.First);
  EXPECT_EQ(second.FirstFile, 0u);
  EXPECT_EQ(second.NamesSeen, 2u);
  EXPECT_EQ(registry.Claim(a, 4).NamesSeen, 3u);
  // Without file records (a quiet scan) only "met before" matters; file id 0 stays a real id.
  THardLinkRegistry quiet;
  EXPECT_TRUE(quiet.Claim(a, NoFile).First);
  EXPECT_FALSE(quiet.Claim(a, NoFile).First);
  // Record numbers no NTFS volume reaches are hashed instead of indexed, with the same answers.
  for (const unsigned bits : {30U, 40U}) {
    const TFileIdentity huge{7, (std::uint64_t{1} << bits) | 3, 0, true};
    EXPECT_TRUE(registry.Claim(huge, 5).First) << bits;
    EXPECT_EQ(registry.Claim(huge, 6).FirstFile, 5u) << bits;
  }
  // Linux identities (device, inode) are always hashed.
  EXPECT_TRUE(registry.Claim({1, 12, 2, false}, 7).First);
  EXPECT_EQ(registry.Claim({1, 12, 2, false}, 8).FirstFile, 7u);
  registry.Clear();
  EXPECT_TRUE(registry.Claim(a, 9).First);
}

}  // namespace
}  // namespace Vellumetric
