#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <string>
#include <vector>

#include "find/TFileQuery.h"

namespace Vellumetric {
namespace {

constexpr std::uint64_t kDay = 86400ULL * 10000000ULL;       // in file-time units
constexpr std::uint64_t kUnixEpoch = 116444736000000000ULL;  // 1970 as a file time
constexpr std::int64_t kNow = 1700000000;                    // the query's clock
constexpr std::uint64_t kNowFileTime = kUnixEpoch + 1700000000ULL * 10000000ULL;

// Folders "/r", "/r/a", "/r/a/b" and "/r/c" with files of few distinct sizes and names, so equal
// sizes (decided by path) are everywhere.
struct TSample {
  TFolderTree Tree;
  TFileRecordStore Files;

  explicit TSample(std::size_t count) {
    const TNodeId r = Tree.AddChild(NoNode, {.Path = TPathText("/r")});
    const TNodeId a = Tree.AddChild(r, {.Path = TPathText("/r/a")});
    const TNodeId b = Tree.AddChild(a, {.Path = TPathText("/r/a/b")});
    const TNodeId c = Tree.AddChild(r, {.Path = TPathText("/r/c")});
    const TNodeId folders[] = {r, a, b, c};
    std::mt19937 rng(7);
    const auto below = [&](std::uint32_t n) {
      return std::uniform_int_distribution<std::uint32_t>(0, n - 1)(rng);
    };
    for (std::size_t i = 0; i < count; ++i) {
      const std::string name = "f" + std::to_string(below(40)) + (below(2) ? ".iso" : ".txt");
      Files.Add(folders[below(4)], name, std::uint64_t{below(6)} * 1000,
                static_cast<int>(below(3)) - 1, kNowFileTime - below(100) * kDay);
    }
  }
};

TEST(FindFiles, TopIsThePrefixOfTheWholeOrderLargestFirstThenByPath) {
  const TSample s(3000);
  TFileQuery query;
  const TFindResult all = FindFiles(s.Files, s.Tree, TPathStyle::Posix, query);
  ASSERT_EQ(all.Files.size(), 3000u);
  EXPECT_EQ(all.Count, 3000u);
  std::uint64_t bytes = 0;
  std::string previous;
  for (std::size_t i = 0; i < all.Files.size(); ++i) {
    const TFoundFile& f = all.Files[i];
    const std::string path = FoundFilePath(s.Files, s.Tree, TPathStyle::Posix, f.Id);
    bytes += f.Size;
    EXPECT_EQ(f.Size, s.Files.Record(f.Id).Size);
    EXPECT_EQ(path.substr(path.rfind('/') + 1), s.Files.Name(f.Id));
    if (i > 0) {
      const TFoundFile& p = all.Files[i - 1];
      ASSERT_TRUE(p.Size > f.Size || (p.Size == f.Size && previous <= path)) << i;
    }
    previous = path;
  }
  EXPECT_EQ(all.Bytes, bytes);
  for (const std::size_t top : {1, 7, 100, 2999, 5000}) {
    query.Top = top;
    const TFindResult some = FindFiles(s.Files, s.Tree, TPathStyle::Posix, query);
    EXPECT_EQ(some.Count, all.Count);
    EXPECT_EQ(some.Bytes, all.Bytes);
    ASSERT_EQ(some.Files.size(), std::min<std::size_t>(top, 3000)) << top;
    for (std::size_t i = 0; i < some.Files.size(); ++i) {
      EXPECT_EQ(FoundFilePath(s.Files, s.Tree, TPathStyle::Posix, some.Files[i].Id),
                FoundFilePath(s.Files, s.Tree, TPathStyle::Posix, all.Files[i].Id))
          << top << " " << i;
      EXPECT_EQ(some.Files[i].Size, all.Files[i].Size) << top << " " << i;
    }
  }
}

// The filters a real tree cannot easily show: a group (and "no group"), a last access that the
// system did not give, which is never "old", and "older than 30 days" for a file 30.5 days old
// (which GNU find's -atime +30, counting whole days, would leave out).
TEST(FindFiles, GroupsAndUnknownTimesFilterAsDocumented) {
  TFolderTree tree;
  const TNodeId r = tree.AddChild(NoNode, {.Path = TPathText("/")});
  TFileRecordStore files;
  files.Add(r, "old.iso", 10, 3, kNowFileTime - 40 * kDay);
  files.Add(r, "unknown.iso", 20, 3, 0);
  files.Add(r, "new.iso", 30, 3, kNowFileTime - 29 * kDay);
  files.Add(r, "loose.bin", 40, TFileRecordStore::NoGroup, kNowFileTime - 400 * kDay);
  files.Add(r, "ancient.iso", 50, 3, 1);  // 1601: before 1970, still a known time
  files.Add(r, "edge.iso", 60, 3, kNowFileTime - 30 * kDay - kDay / 2);  // 30.5 days
  const auto paths = [&](const TFileQuery& q) {
    std::string out;
    for (const TFoundFile& f : FindFiles(files, tree, TPathStyle::Posix, q).Files) {
      out += FoundFilePath(files, tree, TPathStyle::Posix, f.Id) + " ";
    }
    return out;
  };
  TFileQuery q;
  q.Now = kNow;
  q.OlderThanDays = 30;
  EXPECT_EQ(paths(q), "/edge.iso /ancient.iso /loose.bin /old.iso ");
  q.Group = 3;
  EXPECT_EQ(paths(q), "/edge.iso /ancient.iso /old.iso ");
  q.OlderThanDays = -1;
  q.Group = TFileRecordStore::NoGroup;
  EXPECT_EQ(paths(q), "/loose.bin ");
  q.Group = TFileQuery::AnyGroup;
  q.MinSize = 20;
  q.MaxSize = 30;
  EXPECT_EQ(paths(q), "/new.iso /unknown.iso ");
}

// A time range is half open and asks the time it names; an extension takes versioned names
// ("libz.so.1.3") but not a longer extension or a name that only holds it.
TEST(FindFiles, TimeRangesAndExtensions) {
  TFolderTree tree;
  const TNodeId r = tree.AddChild(NoNode, {.Path = TPathText("/")});
  TFileRecordStore files;
  const auto at = [](std::int64_t unix) {
    return kUnixEpoch + static_cast<std::uint64_t>(unix) * 10000000ULL;
  };
  files.Add(r, "libz.so.1.3", 10, -1, at(1000), {}, at(5000));
  files.Add(r, "LIBC.SO", 20, -1, at(1999), {}, at(999));
  files.Add(r, "a.sock", 30, -1, at(2000), {}, at(1000));
  files.Add(r, "so", 40, -1, 0, {}, 0);
  const auto names = [&](const TFileQuery& q) {
    std::string out;
    for (const TFoundFile& f : FindFiles(files, tree, TPathStyle::Posix, q).Files) {
      out += std::string(files.Name(f.Id)) + " ";
    }
    return out;
  };
  TFileQuery q;
  q.Time = TFileQuery::TTime::Access;
  q.TimeFrom = 1000;
  q.TimeBefore = 2000;
  EXPECT_EQ(names(q), "LIBC.SO libz.so.1.3 ");
  q.Time = TFileQuery::TTime::Change;
  EXPECT_EQ(names(q), "a.sock ");
  q.Time = TFileQuery::TTime::None;
  q.Extension = ".so";
  EXPECT_EQ(names(q), "LIBC.SO libz.so.1.3 ");
}

TEST(FindFiles, AStopRequestAbandonsTheQuery) {
  const TSample s(20000);
  std::atomic<bool> stop{true};
  const TFindResult r = FindFiles(s.Files, s.Tree, TPathStyle::Posix, TFileQuery{}, &stop);
  EXPECT_TRUE(r.Stopped);
  EXPECT_TRUE(r.Files.empty());
  stop = false;
  EXPECT_FALSE(FindFiles(s.Files, s.Tree, TPathStyle::Posix, TFileQuery{}, &stop).Stopped);
}

}  // namespace
}  // namespace Vellumetric
