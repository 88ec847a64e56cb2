// Reading ncdu exports into the scan model, and writing them from a scan: totals against numbers
// worked out by hand from small exports, bad input refused with its place, and a real tree's
// export read back equal to the scan of the tree.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "TScanHarness.h"
#include "TTempDir.h"
#include "exchange/TBorrowedLister.h"
#include "exchange/TCompressedInput.h"
#include "exchange/TCompressedOutput.h"
#include "exchange/TNcduExportLister.h"
#include "exchange/TNcduLister.h"
#include "exchange/TNcduParser.h"
#include "system/TextEncoding.h"

namespace Vellumetric::Testing {
namespace {

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(Utf8Path(path), std::ios::binary) << bytes;
}

// Imports `path` as the window and the command line do; false with the reader's error.
bool Import(const std::string& path, TScanHarness& scan, std::string& error,
            TNcduHeader* header = nullptr) {
  TNcduLister reader;
  if (!reader.Open(path, error)) return false;
  if (header) *header = reader.Header();
  scan.Run(reader.Header().Root, false, std::make_unique<TBorrowedLister>(reader));
  error = reader.Error();
  return !reader.Failed();
}

// A build without zlib or zstd (the Windows one) reads and writes only plain exports.
bool Supported(std::string_view name) {
  using F = TCompressedInput::TFormat;
  if (name.ends_with(".gz")) return TCompressedInput::Supports(F::Gzip);
  if (name.ends_with(".zst")) return TCompressedInput::Supports(F::Zstd);
  return true;
}

TNodeId Child(const TFolderTree& tree, TNodeId parent, std::string_view name) {
  for (TNodeId c = tree.FirstChild(parent); c != NoNode; c = tree.NextSibling(c)) {
    if (tree.Data(c).Name() == name) return c;
  }
  return NoNode;
}

TEST(NcduReader, CountsAsAScanOfTheSameTreeWould) {
  TTempDir dir;
  // Worked out by hand below; extra fields, nested or not, are other writers' and ignored.
  WriteBytes(dir / "e.json", R"([1,2,{"progname":"gdu","progver":"5.22","timestamp":1700000000,
    "extra":{"x":[1,2]}},
   [{"name":"/srv","asize":4096,"dsize":4096,"dev":7},
    {"name":"a.iso","asize":1000,"dsize":1024,"mtime":1600000000,"uid":0,"x":[1,{"z":[]}]},
    [{"name":"d","asize":300,"dsize":512},
     {"name":"h1","asize":50,"dsize":4096,"ino":9,"hlnkc":true,"nlink":2}],
    {"name":"h2","asize":50,"dsize":4096,"ino":9,"hlnkc":true,"nlink":2},
    {"name":"ex","dev":0,"excluded":"pattern"},
    {"name":"lnk","asize":7,"notreg":true},
    [{"name":"bad","asize":10,"dsize":0,"read_error":true}]]])");
  TScanHarness scan;
  TBiggestFileList onDisk(TMeasure::Disk);
  std::string error;
  TNcduHeader header;
  ASSERT_TRUE(Import(dir / "e.json", scan, error, &header)) << error;
  EXPECT_EQ(header.ProgramName, "gdu");
  EXPECT_EQ(header.ProgramVersion, "5.22");
  EXPECT_EQ(header.Timestamp, 1700000000);
  EXPECT_EQ(header.Root, "/srv");

  const TFolderTree& tree = scan.Tree;
  const TNodeId root = tree.FirstChild(NoNode);
  const TFolderData& r = tree.Data(root);
  EXPECT_EQ(r.Path.Str(), "/srv");
  // Entries of the root: 1000 + 50 + 7 files, folders' own 300 + 0 (excluded) + 10; below d: 50.
  // The root's own 4096 counts nowhere.
  EXPECT_EQ(r.Size, 1000U + 50 + 7 + 300 + 0 + 10 + 50);
  // Its own blocks, a.iso, d (512 own + h1's 4096 at its first name), h2 none, bad none.
  EXPECT_EQ(r.DiskSize, 4096U + 1024 + 512 + 4096);
  EXPECT_EQ(r.FileCount, 4U);    // a.iso, h1, h2, lnk
  EXPECT_EQ(r.FolderCount, 3U);  // d, ex, bad
  EXPECT_EQ(r.UnreadableBelow, 1U);

  const TNodeId d = Child(tree, root, "d");
  ASSERT_NE(d, NoNode);
  EXPECT_EQ(tree.Data(d).Size, 50U);
  EXPECT_EQ(tree.Data(d).DiskSize, 512U + 4096);
  const TNodeId ex = Child(tree, root, "ex");
  ASSERT_NE(ex, NoNode);
  EXPECT_EQ(tree.Data(ex).Size + tree.Data(ex).DiskSize + tree.Data(ex).FileCount, 0U);
  EXPECT_NE(tree.Data(Child(tree, root, "bad")).ReadError, 0);

  // The file records: the two names of one file, its blocks at the name met first.
  ASSERT_EQ(scan.Records.Count(), 4U);
  int linked = 0;
  for (TFileId id = 0; id < scan.Records.Count(); ++id) {
    const std::string_view name = scan.Records.Name(id);
    if (name != "h1" && name != "h2") continue;
    ++linked;
    EXPECT_EQ(scan.Records.HardLink(id).Names, 2U);
    EXPECT_EQ(scan.Records.Name(scan.Records.HardLink(id).First), "h1");
    EXPECT_EQ(scan.Records.DiskSize(id), name == "h1" ? 4096U : 0U);
  }
  EXPECT_EQ(linked, 2);
  // The biggest file, typed (an .iso), dated by its mtime.
  ASSERT_GT(scan.Biggest.Count(), 0U);
  const TFileTypeData& big = scan.Biggest[scan.Biggest.Count() - 1];
  EXPECT_EQ(big.Name, "a.iso");
  EXPECT_EQ(big.LastAccess, (1600000000ULL + 11644473600ULL) * 10000000ULL);
  EXPECT_GT(scan.Typed.Count(), 0U);
}

TEST(NcduReader, RefusesBadInputSayingWhere) {
  const std::string head = R"([1,2,{},[{"name":"/r"},)";
  const std::tuple<std::string, std::string> cases[] = {
      {head + R"({"name":"a","asize":1})", "at byte"},  // truncated
      {head + R"({"name":"a","asize":"12"}]])", "\"asize\" must be a whole number"},
      {head + R"({"name":"a","asize":-1}]])", "not negative"},
      {head + R"({"name":"a","asize":1e300}]])", "whole number"},
      {head + R"({"name":"a","asize":18446744073709551616}]])", "whole number"},
      {head + R"({"name":"a","asize":9223372036854775807}]])", "out of range"},
      {head + R"({"name":"a","hlnkc":1}]])", "\"hlnkc\" must be true or false"},
      {head + R"({"asize":1}]])", "no \"name\""},
      {head + R"({"name":"a/b"}]])", "holds \"/\""},
      {head + R"({"name":".."}]])", "\".\", \"..\""},
      {head + R"({"name":"a\u0000b"}]])", "NUL"},
      {head + R"({"name":"\ud800"}]])", "at byte"},
      {head + R"([]]])", "must start with its info object"},
      {head + R"(7]])", "expected an info object"},
      {head + R"({"name":"a"}]] trailing)", "at byte"},
      {R"([2,0,{},[{"name":"/r"}]])", "only format version 1"},
      {R"([1,0,[],[{"name":"/r"}]])", "expected the metadata object"},
      {R"([1,0,{}])", "ends before its root directory"},
      {std::string(10000, '['), "version number"},
      {R"({"name":"/r"})", "an export is a JSON array"},
      {"hello", "at byte"},
      {"", "at byte"},
      // A raw control character well inside a long name, past the reader's wide scan.
      {head + R"({"name":")" + std::string(37, 'a') + "\x01" + R"("}]])", "at byte"},
  };
  // Damage after the root's last item, which the walk has seen by then: the files and the root's
  // end fill a batch exactly, so the walk ends before the reader meets the damage.
  std::string full = R"([1,2,{},[{"name":"/r"})";
  for (std::size_t i = 0; i + 1 < TNcduParser::BatchItems; ++i) {
    full += R"(,{"name":"f)" + std::to_string(i) + R"("})";
  }
  const std::tuple<std::string, std::string> late(full + "]] trailing", "at byte");
  TTempDir dir;
  std::vector<std::tuple<std::string, std::string>> all(std::begin(cases), std::end(cases));
  all.push_back(late);
  for (const auto& [text, expected] : all) {
    WriteBytes(dir / "bad.json", text);
    TScanHarness scan;
    std::string error;
    EXPECT_FALSE(Import(dir / "bad.json", scan, error)) << text.substr(0, 80);
    EXPECT_NE(error.find(expected), std::string::npos) << text.substr(0, 80) << " -> " << error;
    EXPECT_NE(error.find("at byte"), std::string::npos) << error;
  }
}

// Names are copied in runs up to the next escape; an escape at every place of a long name,
// across the width the runs are scanned in, must come out decoded where it stood.
TEST(NcduReader, EscapesAnywhereInALongNameAreDecodedInPlace) {
  std::string text = R"([1,2,{},[{"name":"/r"})";
  std::vector<std::string> expected;
  const std::pair<std::string, std::string> escapes[] = {
      {R"(\")", "\""}, {R"(\\)", "\\"}, {R"(\u00e9)", "\xc3\xa9"}, {R"(\t)", "\t"}};
  for (std::size_t at = 0; at < 40; ++at) {
    for (const auto& [json, plain] : escapes) {
      const std::string head(at, 'a'), tail(40 - at, 'z');
      text += R"(,{"name":")" + head + json + tail + std::to_string(expected.size()) + R"("})";
      expected.push_back(head + plain + tail + std::to_string(expected.size()));
    }
  }
  text += "]]";
  TNcduParser parser;
  std::string error;
  ASSERT_TRUE(parser.OpenBytes(text, error)) << error;
  const TNcduItem* item = nullptr;
  std::string_view name;
  std::size_t i = 0;
  while (parser.Next(item, name) && item->Kind != TNcduItem::DirEnd) {
    ASSERT_LT(i, expected.size());
    EXPECT_EQ(name, expected[i]) << i;
    ++i;
  }
  EXPECT_EQ(i, expected.size());
  EXPECT_FALSE(parser.Failed()) << parser.Error();
}

// Several batches' worth of files in folders of 1,000, each name and size its own: the reading
// thread reuses the walk's finished batches, and no item may be lost, repeated or misnamed.
TEST(NcduReader, EveryItemOfManyBatchesArrivesOnceUnderItsName) {
  constexpr std::size_t kFolders = 300;
  constexpr std::size_t kPerFolder = 1000;
  std::string text = R"([1,2,{},[{"name":"/many"})";
  for (std::size_t d = 0; d < kFolders; ++d) {
    text += R"(,[{"name":"d)" + std::to_string(d) + R"("})";
    for (std::size_t f = 0; f < kPerFolder; ++f) {
      const std::size_t i = d * kPerFolder + f;
      text += R"(,{"name":"f)" + std::to_string(i) + R"(","asize":)" + std::to_string(i) + "}";
    }
    text += "]";
  }
  text += "]]";
  TTempDir dir;
  WriteBytes(dir / "many.json", text);
  TScanHarness scan;
  std::string error;
  ASSERT_TRUE(Import(dir / "many.json", scan, error)) << error;
  ASSERT_GT(kFolders * kPerFolder, 4 * TNcduParser::BatchItems);
  const std::size_t n = kFolders * kPerFolder;
  EXPECT_EQ(scan.Root().FileCount, n);
  EXPECT_EQ(scan.Root().Size, n * (n - 1) / 2);
  std::size_t misplaced = 0;
  for (TFileId id = 0; id < scan.Records.Count(); ++id) {
    const std::string name(scan.Records.Name(id));
    const std::size_t i = std::stoul(name.substr(1));
    const std::string folder(scan.Tree.Data(scan.Records.Record(id).Folder).Name());
    if (scan.Records.Size(id) != i || folder != "d" + std::to_string(i / kPerFolder)) ++misplaced;
  }
  EXPECT_EQ(misplaced, 0U);
}

TEST(NcduReader, AWindowsExportKeepsWindowsPaths) {
  TTempDir dir;
  WriteBytes(dir / "w.json", R"([1,2,{},[{"name":"D:\\Share"},[{"name":"sub"},{"name":"f"}]]])");
  TScanHarness scan;
  std::string error;
  ASSERT_TRUE(Import(dir / "w.json", scan, error)) << error;
  const TNodeId root = scan.Tree.FirstChild(NoNode);
  EXPECT_EQ(scan.Tree.Data(root).Name(), "Share");
  EXPECT_EQ(scan.FirstChildPath(root), "D:\\Share\\sub");
}

TEST(NcduReader, ReadsTenThousandLevelsDeep) {
  constexpr int kDepth = 10000;
  std::string text = R"([1,2,{},[{"name":"/deep"})";
  for (int i = 0; i < kDepth; ++i) text += R"(,[{"name":"d","asize":1,"dsize":2})";
  text += R"(,{"name":"f","asize":5})";
  text.append(kDepth, ']');
  text += "]]";
  TTempDir dir;
  WriteBytes(dir / "deep.json", text);
  TScanHarness scan;
  std::string error;
  ASSERT_TRUE(Import(dir / "deep.json", scan, error)) << error;
  EXPECT_EQ(scan.Root().FolderCount, static_cast<std::uint32_t>(kDepth));
  EXPECT_EQ(scan.Root().Size, kDepth + 5U);
  EXPECT_EQ(scan.Root().DiskSize, 2U * kDepth);
}

// Each entry straddles a 4 KiB boundary, alternately inside its size (after one to eleven of its
// twelve digits) and inside its name (after one to nine of its ten bytes, one of them escaped),
// so the reader's chunk ends, a multiple of that, cut numbers and names at many places. Each
// must be read whole.
TEST(NcduReader, NumbersAndNamesCutByTheEndOfAReadAreReadWhole) {
  constexpr int kFiles = 1024;
  std::string text = R"([1,2,{},[{"name":"/cut"})";
  for (int i = 0; i < kFiles; ++i) {
    const std::string name = "f\\\\" + std::to_string(1000000 + i);  // ten bytes, one escape
    const std::string head = R"(,{"name":")";
    const std::size_t cutAt =
        i % 2 == 0 ? head.size() + name.size() + 10 + i % 11 + 1 : head.size() + i % 9 + 1;
    text.append((text.size() + cutAt + 4095) / 4096 * 4096 - cutAt - text.size(), ' ');
    text += head + name + R"(","asize":)" + std::to_string(100000000000ULL + i) + "}";
  }
  text += "]]";
  TTempDir dir;
  WriteBytes(dir / "cut.json", text);
  TScanHarness scan;
  std::string error;
  ASSERT_TRUE(Import(dir / "cut.json", scan, error)) << error;
  ASSERT_EQ(scan.Records.Count(), static_cast<std::size_t>(kFiles));
  for (TFileId id = 0; id < kFiles; ++id) {
    EXPECT_EQ(scan.Records.Name(id), "f\\" + std::to_string(1000000 + id));
    EXPECT_EQ(scan.Records.Size(id), 100000000000ULL + id);
  }
}

// Writes the scan of `root` as an export at `path` through the walk, as --export-ncdu does.
void ExportScan(const std::string& root, const std::string& path) {
  TCompressedOutput out;
  std::string error;
  ASSERT_TRUE(out.Open(path, error)) << error;
  TNcduHeader header{1, 2, "vellumetric", "test", 1, root};
  TScanHarness scan;
  scan.Run(root, false, std::make_unique<TNcduExportLister>(CreateDirectoryLister(), out, header));
  ASSERT_TRUE(out.Close(error)) << error;
}

using TFolderFacts =
    std::map<std::string, std::tuple<std::uint64_t, std::uint64_t, std::uint32_t, std::uint32_t>>;
TFolderFacts Facts(const TFolderTree& tree) {
  TFolderFacts facts;
  for (TNodeId id = 0; id < tree.Count(); ++id) {
    const TFolderData& f = tree.Data(id);
    facts[f.Path.Str()] = {f.Size, f.DiskSize, f.FileCount, f.FolderCount};
  }
  return facts;
}

TEST(NcduReader, ExportOfARealTreeReadsBackAsItsScan) {
  TTempDir dir;
  const std::string root = dir / "tree";
  namespace fs = std::filesystem;
  fs::create_directories(Utf8Path(dir / "tree/a/b"));
  fs::create_directories(Utf8Path(dir / "tree/empty"));
  WriteBytes(dir / "tree/one.txt", std::string(5000, 'x'));
  WriteBytes(dir / "tree/a/two.iso", std::string(70000, 'y'));
#ifdef _WIN32
  WriteBytes(dir / "tree/a/b/\xc3\xbc q.bin", std::string(3, 'z'));
#else
  // Quotes and a backslash, which the JSON text must escape.
  WriteBytes(dir / "tree/a/b/\xc3\xbc \"q\"\\.bin", std::string(3, 'z'));
#endif
#ifndef _WIN32
  // A Windows listing learns that a file has several names only at its second name, after the
  // first has been written: its exports mark no hard links.
  fs::create_hard_link(Utf8Path(dir / "tree/a/two.iso"), Utf8Path(dir / "tree/a/b/again.iso"));
#endif
  TScanHarness direct;
  direct.Threads = 1;
  direct.Run(root);
  for (const char* name : {"x.json", "x.json.gz", "x.json.zst"}) {
    if (!Supported(name)) continue;
    const std::string file = dir / name;
    ExportScan(root, file);
    TScanHarness imported;
    std::string error;
    ASSERT_TRUE(Import(file, imported, error)) << name << ": " << error;
    EXPECT_EQ(Facts(imported.Tree), Facts(direct.Tree)) << name;
    EXPECT_EQ(imported.Records.Count(), direct.Records.Count()) << name;
  }
}

TEST(NcduReader, BrokenCompressionIsAnErrorNotAShortScan) {
  TTempDir dir;
  const std::string root = dir / "t";
  std::filesystem::create_directories(Utf8Path(root));
  for (int i = 0; i < 200; ++i) WriteBytes(dir / ("t/f" + std::to_string(i)), "data");
  for (const char* name : {"c.json.gz", "c.json.zst"}) {
    if (!Supported(name)) continue;
    const std::string file = dir / name;
    ExportScan(root, file);
    const auto size = std::filesystem::file_size(Utf8Path(file));
    std::filesystem::resize_file(Utf8Path(file), size - 12);
    TScanHarness scan;
    std::string error;
    EXPECT_FALSE(Import(file, scan, error)) << name;
    EXPECT_NE(error.find("truncated"), std::string::npos) << name << ": " << error;
  }
}

TEST(NcduReader, ABuildWithoutACompressionSaysSoInsteadOfReadingNoise) {
  if (Supported(".gz") && Supported(".zst")) GTEST_SKIP() << "this build reads gzip and zstd";
  TTempDir dir;
  const std::pair<const char*, std::string> files[] = {{"g.json.gz", "\x1f\x8b\x08\x00rest"},
                                                       {"z.json.zst", "\x28\xb5\x2f\xfdrest"}};
  for (const auto& [name, bytes] : files) {
    if (Supported(name)) continue;
    WriteBytes(dir / name, bytes);
    TScanHarness scan;
    std::string error;
    EXPECT_FALSE(Import(dir / name, scan, error));
    EXPECT_NE(error.find("which this build cannot read"), std::string::npos) << error;
    TCompressedOutput out;
    EXPECT_FALSE(out.Open(dir / ("out-" + std::string(name)), error));
    EXPECT_NE(error.find("this build cannot write"), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace Vellumetric::Testing
