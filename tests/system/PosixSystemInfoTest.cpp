#include <gtest/gtest.h>

#include "system/posix/OsRelease.h"
#include "system/posix/XdgUserDirs.h"

namespace Vellumetric {
namespace {

TEST(OsRelease, PrettyNameVariantAndFallbacks) {
  const TWindowsInfo debian = DescribeOsRelease(
      "NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n# c\n", "x");
  EXPECT_EQ(debian.ProductName, "Debian GNU/Linux 12 (bookworm)");
  EXPECT_EQ(debian.Edition, "");
  EXPECT_EQ(debian.VersionClass, -1);
  const TWindowsInfo fedora =
      DescribeOsRelease("NAME='Fedora Linux'\r\nVARIANT=\"Workstation Edition\"\r\n", "x");
  EXPECT_EQ(fedora.ProductName, "Fedora Linux");
  EXPECT_EQ(fedora.Edition, "Workstation Edition");
  EXPECT_EQ(DescribeOsRelease("garbage\n=\n", "Linux 6.1").ProductName, "Linux 6.1");
}

TEST(XdgUserDirs, ExpandsHomeAndSkipsRelativeEntries) {
  const auto dirs = ParseXdgUserDirs(
      "# comment\nXDG_MUSIC_DIR=\"$HOME/Musik\"\nXDG_VIDEOS_DIR=\"/srv/v\\\"ids\"\n"
      "XDG_DOCUMENTS_DIR=\"relative\"\nXDG_PICTURES_DIR=$HOME/unquoted\nXDG_X_DIR=\"$HOMEX\"\n",
      "/home/ann");
  EXPECT_EQ(dirs.at("XDG_MUSIC_DIR"), "/home/ann/Musik");
  EXPECT_EQ(dirs.at("XDG_VIDEOS_DIR"), "/srv/v\"ids");
  EXPECT_EQ(dirs.count("XDG_DOCUMENTS_DIR"), 0u);
  EXPECT_EQ(dirs.count("XDG_PICTURES_DIR"), 0u);
  EXPECT_EQ(dirs.count("XDG_X_DIR"), 0u);
}

}  // namespace
}  // namespace Vellumetric
