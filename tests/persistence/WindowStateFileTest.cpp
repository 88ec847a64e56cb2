#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "TTempDir.h"
#include "persistence/TWindowStateFile.h"

namespace Vellumetric {
namespace {

using namespace Testing;

void Write(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

TEST(WindowStateFile, WhatIsSavedReadsBackAndTheFolderHoldsOnlyTheFile) {
  TTempDir dir;
  TWindowStateFile state;
  state.SetInts("Main.Geometry", {-1200, 30, 1255, 830});
  state.SetInts("Results.Splitter", {400, 297});
  state.SetText("Results.Tab", "Detail");
  state.SetText("Bad key", "x");            // not a key
  state.SetText("Results.Name", "a\nb=c");  // not one line
  std::string error;
  ASSERT_TRUE(state.Save(dir.Path(), error)) << error;
  state.SetText("Results.Tab", "Map");
  ASSERT_TRUE(state.Save(dir.Path(), error)) << error;  // replaces the first
  std::vector<std::string> names;  // no temporary file is left beside it
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
    names.push_back(entry.path().filename().string());
  EXPECT_EQ(names, std::vector<std::string>{"window-state.ini"});

  TWindowStateFile read;
  ASSERT_TRUE(read.Load(dir / TWindowStateFile::FileName));
  EXPECT_EQ(read.Ints("Main.Geometry", 4, -100000, 100000),
            (std::vector<int>{-1200, 30, 1255, 830}));
  EXPECT_EQ(read.Ints("Results.Splitter", 0, 0, 100000), (std::vector<int>{400, 297}));
  EXPECT_EQ(read.Text("Results.Tab"), "Map");
  EXPECT_EQ(read.Text("Bad key"), std::nullopt);
  EXPECT_EQ(read.Text("Results.Name"), std::nullopt);
  // A value that is not what the caller can use is no value; the others still count.
  EXPECT_EQ(read.Ints("Main.Geometry", 2, -100000, 100000), std::nullopt);
  EXPECT_EQ(read.Ints("Main.Geometry", 4, 0, 100000), std::nullopt);
  EXPECT_EQ(read.Ints("Results.Tab", 1, 0, 10), std::nullopt);
  EXPECT_EQ(read.Ints("Missing", 1, 0, 10), std::nullopt);

  // A file edited by hand on Windows, with comments and blank lines, still reads.
  Write(dir / "edited.ini", "; mine\r\n\r\n[WindowState]\r\nVersion=1\r\nA.B=1,2\r\n");
  ASSERT_TRUE(read.Load(dir / "edited.ini"));
  EXPECT_EQ(read.Ints("A.B", 2, 0, 9), (std::vector<int>{1, 2}));
}

TEST(WindowStateFile, ADamagedOrForeignFileIsIgnoredWhole) {
  TTempDir dir;
  const std::string good = "[WindowState]\nVersion=1\nA=1\n";
  const std::string damaged[] = {
      "",
      "A=1\n",                                          // no heading
      "[WindowState]\nA=1\n",                           // no version
      "[WindowState]\nVersion=2\nA=1\n",                // a later version
      "[Other]\nVersion=1\nA=1\n",                      // another file
      good + "B\n",                                     // a line without '='
      good + "A=2\n",                                   // a key twice
      good + "B=x\ty\n",                                // a control character
      good + std::string("C=\0\n", 4),                  // a NUL byte
      good + "not a key=1\n",                           //
      good + "D=" + std::string(70 * 1024, '7') + "\n"  // far too large
  };
  int n = 0;
  for (const std::string& bytes : damaged) {
    const std::string path = dir / ("state" + std::to_string(n++));
    Write(path, bytes);
    TWindowStateFile state;
    state.SetText("Before", "1");
    EXPECT_FALSE(state.Load(path)) << bytes.substr(0, 60);
    EXPECT_TRUE(state.Empty()) << bytes.substr(0, 60);
  }
  TWindowStateFile state;
  EXPECT_FALSE(state.Load(dir / "missing.ini"));
  Write(dir / "good.ini", good);
  EXPECT_TRUE(state.Load(dir / "good.ini"));
  EXPECT_EQ(state.Ints("A", 1, 0, 9), (std::vector<int>{1}));
}

}  // namespace
}  // namespace Vellumetric
