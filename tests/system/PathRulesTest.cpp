#include <gtest/gtest.h>

#include "system/PathRules.h"

namespace Vellumetric {
namespace {

constexpr auto Win = TPathStyle::Windows;
constexpr auto Posix = TPathStyle::Posix;

TEST(PathRules, ExtensionIsFromTheLastDotOfTheLastComponent) {
  for (auto style : {Win, Posix}) {
    EXPECT_EQ(ExtractExtension(style, "archive.tar.gz"), ".gz");
    EXPECT_EQ(ExtractExtension(style, "README"), "");
    EXPECT_EQ(ExtractExtension(style, ".profile"), ".profile");
    EXPECT_EQ(ExtractExtension(style, "trailing."), ".");
    EXPECT_EQ(ExtractExtension(style, "\xe5\x86\x99\xe7\x9c\x9f.JPG"), ".JPG");
    EXPECT_EQ(ExtractExtension(style, "libc.so.6"), ".6");
    EXPECT_EQ(VersionedExtension(style, "libc.so.6"), ".so");
    EXPECT_EQ(VersionedExtension(style, "libLLVM.SO.17.0.1"), ".SO");
    EXPECT_EQ(VersionedExtension(style, "python3.11"), "");
    EXPECT_EQ(VersionedExtension(style, "log.1a"), ".1a");
    EXPECT_EQ(VersionedExtension(style, "archive.tar.gz"), ".gz");
    EXPECT_EQ(VersionedExtension(style, "trailing."), ".");
  }
  EXPECT_EQ(ExtractExtension(Win, "dir.d\\file"), "");
  EXPECT_EQ(ExtractExtension(Win, "C:x.y:stream"), "");
  EXPECT_EQ(ExtractExtension(Posix, "dir.d/file"), "");
  EXPECT_EQ(ExtractExtension(Posix, "odd\\na.me"), ".me");  // '\' is a plain character here
}

TEST(PathRules, LastComponent) {
  EXPECT_EQ(LastComponent(Win, "C:\\Users\\Ann"), "Ann");
  EXPECT_EQ(LastComponent(Win, "D:\\"), "");
  EXPECT_EQ(LastComponent(Win, "C:"), "");
  EXPECT_EQ(LastComponent(Win, "C:Data"), "Data");
  EXPECT_EQ(LastComponent(Posix, "/home/ann"), "ann");
  EXPECT_EQ(LastComponent(Posix, "/home/ann/"), "");
  EXPECT_EQ(LastComponent(Posix, "relative"), "relative");
  EXPECT_EQ(LastComponent(Posix, "a:b"), "a:b");
}

TEST(PathRules, ChildPathIsJoinedWithoutNormalising) {
  EXPECT_EQ(ChildPath(Win, "C:", "Windows"), "C:\\Windows");
  EXPECT_EQ(ChildPath(Win, "D:\\", "Data"), "D:\\\\Data");
  EXPECT_EQ(ChildPath(Posix, "/", "usr"), "/usr");
  EXPECT_EQ(ChildPath(Posix, "/home/ann", "Music"), "/home/ann/Music");
  EXPECT_EQ(ChildPath(Posix, "/home/ann/", "Music"), "/home/ann/Music");
}

TEST(PathRules, NormalizeLocation) {
  EXPECT_EQ(NormalizeLocation(Win, "D:\\\\Data", "D:\\"), "D:\\Data");
  EXPECT_EQ(NormalizeLocation(Win, "C:", "C:"), "C:");
  EXPECT_EQ(NormalizeLocation(Win, "", "E:\\Photos"), "E:\\Photos");
  EXPECT_EQ(NormalizeLocation(Win, "\\C:\\\\x", ""), "C:\\x");
  EXPECT_EQ(NormalizeLocation(Win, "C:\\Data", ""), "C:\\Data");
  // The fourth character is counted in UTF-16 units, not bytes.
  EXPECT_EQ(NormalizeLocation(Win, "\xc3\xa4:\\\\x", ""), "\xc3\xa4:\\x");
  EXPECT_EQ(NormalizeLocation(Posix, "", "/srv"), "/srv");
  EXPECT_EQ(NormalizeLocation(Posix, "//srv//x", "/"), "//srv//x");
}

TEST(PathRules, DriveRootShortening) {
  EXPECT_EQ(ShortenDriveRoot(Win, "C:\\"), "C:");
  EXPECT_EQ(ShortenDriveRoot(Win, "C:"), "C:");
  EXPECT_EQ(ShortenDriveRoot(Win, "C:\\x"), "C:\\x");
  EXPECT_EQ(ShortenDriveRoot(Posix, "/"), "/");
  EXPECT_EQ(ShortenDriveRoot(Posix, "/ab"), "/ab");
}

TEST(PathRules, AsciiOnlyCaseFolding) {
  EXPECT_TRUE(EqualsIgnoreAsciiCase(".JPG", ".jpg"));
  EXPECT_FALSE(EqualsIgnoreAsciiCase(".\xc3\x84", ".\xc3\xa4"));  // Ä and ä stay different
  EXPECT_FALSE(EqualsIgnoreAsciiCase(".jp", ".jpg"));
  std::string text = "ABC.\xc3\x84z";
  FoldAsciiCase(text);
  EXPECT_EQ(text, "abc.\xc3\x84z");
}

}  // namespace
}  // namespace Vellumetric
