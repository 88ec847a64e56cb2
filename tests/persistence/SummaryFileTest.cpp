#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "Numbered.h"
#include "TRecordingLoadHooks.h"
#include "TTempDir.h"
#ifndef _WIN32
#include <sys/stat.h>

#include "TTmpfsMount.h"
#endif
#include "persistence/SummaryFile.h"

namespace Vellumetric {
namespace {

using Testing::Numbered;
using Testing::RunCommand;
using Testing::ShellQuote;
using Testing::TRecordingLoadHooks;
using Testing::TTempDir;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

TNodeId Section(TSummaryTree& tree, const std::string& name) {
  return tree.AddNode(NoNode, name);
}

void Entry(TSummaryTree& tree, TNodeId section, const std::string& name, std::uint64_t size,
           const std::string& location, std::uint64_t access = 0) {
  tree.AddNode(section, name, TPathText(location), size, 0, access);
}

// General: n files in "20 Biggest Files"; Detail: one group per count given.
void Fill(TSummaryTree& general, TSummaryTree& detail, int n, std::initializer_list<int> groups) {
  const TNodeId g = Section(general, "20 Biggest Files");
  for (int i = 0; i < n; ++i) Entry(general, g, Numbered("big", i), 1000 - i, "/d");
  int k = 0;
  for (int count : groups) {
    const TNodeId s =
        Section(detail, "Group " + std::to_string(k++) + " (" + std::to_string(count) + ")");
    for (int i = 0; i < count; ++i) Entry(detail, s, Numbered("f", i), i, "/d");
  }
}

TEST(SummaryFile, WriteReadWriteIsByteIdentical) {
  TTempDir tmp;
  TSummaryTree general, detail;
  const TNodeId g = Section(general, "20 Biggest Files");
  const std::string longName(300, 'n');
  Entry(general, g, "\xe5\x86\x99\xe7\x9c\x9f.jpg", 5ULL << 32,
        "/home/ann/\xd0\x92\xd0\xb8\xd0\xb4", 133000000000000000ULL);
  Entry(general, g, "Ann's file.txt", 0, "/srv/it's here");
  Entry(general, g, longName + ".bin", 17, "/" + std::string(400, 'p'));
  const TNodeId s = Section(detail, "Raster Image Files (1)");
  Entry(detail, s, "\xe5\x86\x99\xe7\x9c\x9f.jpg", 5ULL << 32,
        "/home/ann/\xd0\x92\xd0\xb8\xd0\xb4");
  Section(detail, "Font Files (0)");

  ASSERT_TRUE(WriteSummaryFile(tmp / "a.sbf", "/home/ann", general, detail));
  const std::string first = ReadAll(tmp / "a.sbf");
  EXPECT_EQ(first.substr(0, 16), "4\r\n/home/ann\r\n20");
  TSummaryTree g2, d2;
  TRecordingLoadHooks hooks;
  ASSERT_TRUE(ReadSummaryFile(tmp / "a.sbf", g2, d2, hooks, "/"));
  EXPECT_EQ(hooks.Total, 4);
  EXPECT_EQ(hooks.Root, "/home/ann");
  ASSERT_TRUE(WriteSummaryFile(tmp / "b.sbf", hooks.Root, g2, d2));
  EXPECT_EQ(ReadAll(tmp / "b.sbf"), first);
  // Icons were asked for each General entry at location + separator + name.
  ASSERT_EQ(hooks.IconPaths.size(), 3u);
  EXPECT_EQ(hooks.IconPaths[1], "/srv/it's here/Ann's file.txt");
  EXPECT_EQ(g2.Size(g2.FirstChild(NoNode)), (5ULL << 32) + 17);
  EXPECT_EQ(d2.ImageIndex(d2.FirstChild(d2.FirstChild(NoNode))), 1);
}

TEST(SummaryFile, CountLineAndProgressEvery201Entries) {
  TTempDir tmp;
  TSummaryTree general, detail;
  Fill(general, detail, 20, {3, 5});
  ASSERT_TRUE(WriteSummaryFile(tmp / "c.sbf", "C:", general, detail));
  EXPECT_EQ(ReadAll(tmp / "c.sbf").substr(0, 4), "28\r\n");

  for (const auto& [entries, ticks] : {std::pair{402, 2u}, std::pair{200, 0u}}) {
    TSummaryTree g, d;
    Fill(g, d, 0, {entries});
    ASSERT_TRUE(WriteSummaryFile(tmp / "p.sbf", "/", g, d));
    TRecordingLoadHooks hooks;
    ASSERT_TRUE(ReadSummaryFile(tmp / "p.sbf", g, d, hooks, "/"));
    EXPECT_EQ(hooks.Ticks.size(), ticks) << entries;
    if (ticks == 2) {
      EXPECT_EQ(hooks.Ticks.back(), 400);
    }
  }
}

TEST(SummaryFile, ToleratesLineEndsCtrlZAndOldLatin1Files) {
  TTempDir tmp;
  WriteAll(tmp / "x.sbf",
           "2\nC:\\Fotos\n20 Biggest Files\n1\r\n  caf\xe9.jpg \n10\n0\nC:\\Fotos\n"
           "Group (1)\n1\nna\rme\n5\n-1\nC:\\x\n\x1A"
           "garbage after the end\n");
  TSummaryTree g, d;
  TRecordingLoadHooks hooks;
  ASSERT_TRUE(ReadSummaryFile(tmp / "x.sbf", g, d, hooks, "\\"));
  const TNodeId section = g.FirstChild(NoNode);
  EXPECT_EQ(g.Name(g.FirstChild(section)), "caf\xc3\xa9.jpg");  // trimmed, Latin-1 read
  EXPECT_EQ(hooks.IconPaths[0], "C:\\Fotos\\caf\xc3\xa9.jpg");
  const TNodeId group = d.FirstChild(NoNode);
  EXPECT_EQ(d.Name(d.FirstChild(group)), "name");  // the lone CR is dropped
  EXPECT_EQ(d.LastAccess(d.FirstChild(group)), static_cast<std::uint64_t>(-1));
  EXPECT_EQ(d.NextSibling(group), NoNode);
}

TEST(SummaryFile, BadCountsAndShortFilesKeepWhatWasReadCompletely) {
  TTempDir tmp;
  WriteAll(tmp / "abc.sbf",
           "2\r\nC:\r\n20 Biggest Files\r\n1\r\na\r\n1\r\n0\r\nC:\r\nVideo Files (1)\r\nabc\r\n"
           "b\r\n2\r\n0\r\nC:\r\n");
  TSummaryTree g, d;
  TRecordingLoadHooks hooks;
  ASSERT_TRUE(ReadSummaryFile(tmp / "abc.sbf", g, d, hooks, "\\"));
  EXPECT_EQ(g.Count(), 2u);
  ASSERT_EQ(d.Count(), 1u);  // the group node stays, empty
  EXPECT_EQ(d.Name(0), "Video Files (1)");

  WriteAll(tmp / "short.sbf", "9\nC:\n20 Biggest Files\n3\na\n1\n0\nC:\nb\n2\n");
  ASSERT_TRUE(ReadSummaryFile(tmp / "short.sbf", g, d, hooks, "\\"));
  EXPECT_EQ(g.Count(), 2u);  // section + the one complete entry
  EXPECT_EQ(g.Size(0), 1u);
  EXPECT_EQ(d.Count(), 0u);

  WriteAll(tmp / "neg.sbf", "x\n\n20 Biggest Files\n-3\nnext\n0\n");
  ASSERT_TRUE(ReadSummaryFile(tmp / "neg.sbf", g, d, hooks, "\\"));
  EXPECT_EQ(hooks.Total, -1);
  EXPECT_EQ(g.Count(), 1u);
  EXPECT_EQ(d.Count(), 0u);

  EXPECT_FALSE(ReadSummaryFile(tmp / "missing.sbf", g, d, hooks, "\\"));
  EXPECT_TRUE(g.Empty());
}

TEST(SummaryFile, StopRequestEndsTheLoad) {
  TTempDir tmp;
  TSummaryTree g, d;
  Fill(g, d, 20, {50, 50});
  ASSERT_TRUE(WriteSummaryFile(tmp / "s.sbf", "/", g, d));
  TRecordingLoadHooks hooks;
  hooks.StopAfterChecks = 10;
  ASSERT_TRUE(ReadSummaryFile(tmp / "s.sbf", g, d, hooks, "/"));
  EXPECT_LT(g.Count() + d.Count(), 20u);
}

TEST(SummaryFile, UnwritablePathFails) {
  TTempDir tmp;
  TSummaryTree g, d;
  EXPECT_FALSE(WriteSummaryFile(tmp / "no/such/folder/x.sbf", "/", g, d));
  std::string error;
  EXPECT_FALSE(SaveSummaryFile(tmp / "missing", "x.sbf", "/", g, d, error));
#ifdef _WIN32
  EXPECT_FALSE(error.empty());
#else
  EXPECT_EQ(error, "No such file or directory");
#endif
}

#ifndef _WIN32
// The program is for people whose disk is full: a save that does not fit must keep the summary
// stored under that name byte for byte and leave nothing of its own behind.
TEST(SummaryFile, SaveIntoAFullFileSystemKeepsTheOldFile) {
  TTempDir tmp;
  Testing::TTmpfsMount disk(tmp.Path(), 64);
  if (!disk.Mounted()) GTEST_SKIP() << disk.Reason();
  TSummaryTree g, d;
  Fill(g, d, 3, {2});
  std::string error;
  ASSERT_TRUE(SaveSummaryFile(tmp.Path(), "June.sbf", "/home", g, d, error)) << error;
  const std::string before = ReadAll(tmp / "June.sbf");
  ::chmod((tmp / "June.sbf").c_str(), 0640);

  TSummaryTree bigG, bigD;
  Fill(bigG, bigD, 20, {4000});  // about 100 KB: more than the file system holds
  EXPECT_FALSE(SaveSummaryFile(tmp.Path(), "June.sbf", "/home", bigG, bigD, error));
  EXPECT_EQ(error, "No space left on device");
  EXPECT_EQ(ReadAll(tmp / "June.sbf"), before);
  EXPECT_EQ(RunCommand("ls -A " + ShellQuote(tmp.Path())), "June.sbf\n");

  // A save that fits replaces the file and keeps its permissions.
  ASSERT_TRUE(SaveSummaryFile(tmp.Path(), "June.sbf", "/srv", bigG, d, error)) << error;
  EXPECT_EQ(ReadAll(tmp / "June.sbf").substr(0, 10), "22\r\n/srv\r\n");
  struct stat st {};
  ASSERT_EQ(::stat((tmp / "June.sbf").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(RunCommand("ls -A " + ShellQuote(tmp.Path())), "June.sbf\n");
}
#endif

}  // namespace
}  // namespace Vellumetric
