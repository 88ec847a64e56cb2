#include <gtest/gtest.h>

#include <set>
#include <string>

#include "treemap/TExtensionColours.h"

namespace Vellumetric {
namespace {

// Fourteen ungrouped extensions (two of them spelled in two cases, one tied with another), a
// grouped file bigger than all of them, and names without an extension: only the twelve largest
// extensions of ungrouped files get a colour, in a fixed order, and every file finds its own.
TEST(TExtensionColours, ColoursTheTwelveLargestUngroupedExtensions) {
  TFileRecordStore files;
  const std::string ext[] = {".so", ".a",  ".py",  ".o",  ".h",   ".c",  ".js",
                             ".pm", ".mo", ".gz2", ".xz", ".ttc", ".rs", ".zz"};
  std::uint64_t total = 0;
  const auto add = [&](const std::string& name, std::uint64_t size, std::int32_t group) {
    files.Add(0, name, size, group);
    total += size;
  };
  for (std::size_t i = 0; i < std::size(ext); ++i) add("f" + ext[i], 1000 - i * 50, -1);
  add("G.SO", 500, -1);         // the same extension as ".so", in capitals
  add("tie.rs", 50, -1);        // ".rs" now ties ".ttc" at 450 bytes...
  add("lib.zz", 10, -1);        // ...and ".zz" stays below the cut
  add("movie.mkv", 50000, 3);   // a group's file: its colour is the group's
  add("README", 40000, -1);     // no extension: stays grey
  add("trailing.", 30000, -1);  // an empty extension: the same
  add("empty.iso", 0, -1);      // no bytes, no area
  const TExtensionColours colours(files, TPathStyle::Posix);
  std::string order;
  for (const TExtensionShare& e : colours.Extensions()) {
    order += e.Extension + "=" + std::to_string(e.Bytes) + " ";
  }
  EXPECT_EQ(order,
            ".so=1500 .a=950 .py=900 .o=850 .h=800 .c=750 .js=700 .pm=650 .mo=600 .gz2=550 "
            ".xz=500 .rs=450 ");
  ASSERT_EQ(colours.Extensions().size(), 12u);
  EXPECT_EQ(colours.TotalBytes(), total);
  EXPECT_DOUBLE_EQ(colours.Extensions()[0].Share, 1500.0 / static_cast<double>(total));
  EXPECT_EQ(colours.Extensions()[0].Files, 2u);
  std::set<std::uint32_t> distinct;
  for (std::size_t i = 0; i < 12; ++i) {
    EXPECT_EQ(colours.Extensions()[i].Colour, TExtensionColours::Palette[i]);
    distinct.insert(TExtensionColours::Palette[i]);
  }
  EXPECT_EQ(distinct.size(), 12u);
  const auto indexOf = [&](TFileId id) { return colours.IndexOf(files, id); };
  EXPECT_EQ(indexOf(0), 0);    // f.so
  EXPECT_EQ(indexOf(14), 0);   // G.SO
  EXPECT_EQ(indexOf(12), 11);  // f.rs
  EXPECT_EQ(indexOf(11), -1);  // f.ttc lost the tie by name
  EXPECT_EQ(indexOf(13), -1);  // f.zz
  EXPECT_EQ(indexOf(17), -1);  // the grouped movie
  EXPECT_EQ(indexOf(18), -1);  // README
}

// Version numbers are no extensions: shared libraries with them are ".so" files, and a name whose
// only extension is a version has none.
TEST(TExtensionColours, VersionedNamesCountUnderTheExtensionBeforeTheVersion) {
  TFileRecordStore files;
  files.Add(0, "libc.so.6", 500, -1);
  files.Add(0, "libLLVM.so.17.1", 700, -1);
  files.Add(0, "libz.so", 100, -1);
  files.Add(0, "python3.11", 5000, -1);
  const TExtensionColours colours(files, TPathStyle::Posix);
  ASSERT_EQ(colours.Extensions().size(), 1u);
  EXPECT_EQ(colours.Extensions()[0].Extension, ".so");
  EXPECT_EQ(colours.Extensions()[0].Bytes, 1300u);
  EXPECT_EQ(colours.IndexOf(files, 0), 0);
  EXPECT_EQ(colours.IndexOf(files, 3), -1);
}

}  // namespace
}  // namespace Vellumetric
