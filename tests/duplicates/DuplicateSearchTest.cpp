// The search for duplicates over real trees: files that change or vanish while they are read, a
// cancel part way, the same answer from one reader or several, and the progress that ends where
// it should.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <map>
#include <set>

#include "TRandomTree.h"
#include "TScanHarness.h"
#include "TTempDir.h"
#include "duplicates/TDuplicateSearch.h"

namespace Vellumetric {
namespace {

using namespace Testing;

void Write(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string Bytes(std::size_t size, unsigned seed) {
  std::string s(size, '\0');
  for (std::size_t i = 0; i < size; ++i) {
    seed = seed * 1103515245u + 12345u;
    s[i] = static_cast<char>(seed >> 16);
  }
  return s;
}

std::uint64_t DiskBytes(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return static_cast<std::uint64_t>(st.st_blocks) * 512;
}

// The system's files, with something done to the disk when a given file is read the second time:
// the first is the look at its first 4 KiB, the second the comparison with its likes.
class TMeddlingSource final : public TContentSource {
 public:
  std::map<std::string, std::function<void()>> OnSecondRead;

  TOpenOutcome Open(const std::string& path, std::unique_ptr<TOpenFile>& file) override {
    std::unique_ptr<TOpenFile> real;
    const TOpenOutcome outcome = System->Open(path, real);
    if (outcome != TOpenOutcome::Opened) return outcome;
    file = std::make_unique<TFile>(std::move(real), *this, path);
    return outcome;
  }
  bool OnSpinningDisk(const std::string&) override { return false; }

 private:
  class TFile final : public TOpenFile {
   public:
    TFile(std::unique_ptr<TOpenFile> real, TMeddlingSource& owner, std::string path)
        : Real(std::move(real)), Owner(owner), Path(std::move(path)) {}
    TOpenIdentity Identity() const noexcept override { return Real->Identity(); }
    TFileStamp OpenedStamp() const noexcept override { return Real->OpenedStamp(); }
    bool CurrentStamp(TFileStamp& stamp) const override { return Real->CurrentStamp(stamp); }
    std::int64_t ReadAt(std::uint64_t offset, std::span<std::byte> buffer) override {
      auto it = Owner.OnSecondRead.find(Path);
      if (it != Owner.OnSecondRead.end() && ++Owner.Reads[Path] == 2) {
        const auto meddle = std::move(it->second);
        Owner.OnSecondRead.erase(it);
        meddle();
      }
      return Real->ReadAt(offset, buffer);
    }

   private:
    std::unique_ptr<TOpenFile> Real;
    TMeddlingSource& Owner;
    std::string Path;
  };

  std::unique_ptr<TContentSource> System = CreateContentSource();
  std::map<std::string, int> Reads;
};

std::set<std::set<std::string>> PathSets(const TDuplicateResult& r, const TScanHarness& scan) {
  std::set<std::set<std::string>> sets;
  for (const TDuplicateGroup& g : r.Groups) {
    std::set<std::string> paths;
    for (std::uint32_t m : r.MembersOf(g)) {
      paths.insert(DuplicateMemberPath(g, m, scan.Records, scan.Tree, TPathStyle::Posix));
    }
    sets.insert(paths);
  }
  return sets;
}

TEST(DuplicateSearch, FilesThatChangeOrVanishWhileReadAreLeftOutOfTheirGroups) {
  for (const bool byteCheck : {true, false}) {
    TTempDir tmp;
    const std::string big = Bytes(3 << 20, 1);
    for (const char* name : {"a", "b", "c"}) Write(tmp / name, big);
    const std::string small = Bytes(5000, 2);
    for (const char* name : {"d", "e"}) Write(tmp / name, small);
    // 70 copies: more than are read side by side, so the hashing path meets the change too.
    const std::string many = Bytes(9000, 3);
    for (int k = 0; k < 70; ++k) Write(tmp / ("m" + std::to_string(k)), many);
    TScanHarness scan;
    scan.Run(tmp.Path());
    TMeddlingSource source;
    // Grows while it is read; deleted while it is open; rewritten with other bytes of its size.
    source.OnSecondRead[tmp / "b"] = [&] { std::ofstream(tmp / "b", std::ios::app) << "more"; };
    source.OnSecondRead[tmp / "e"] = [&] { ::unlink((tmp / "e").c_str()); };
    source.OnSecondRead[tmp / "m7"] = [&] { Write(tmp / "m7", Bytes(9000, 4)); };
    TDuplicateOptions options;
    options.ByteCheck = byteCheck;
    TDuplicateProgress progress;
    const TDuplicateResult r = FindDuplicates(scan.Records, scan.Tree, TPathStyle::Posix, options,
                                              source, progress, [] { return false; });
    std::set<std::string> copies;
    for (int k = 0; k < 70; ++k) {
      if (k != 7) copies.insert(tmp / ("m" + std::to_string(k)));
    }
    const std::set<std::set<std::string>> want{{tmp / "a", tmp / "c"}, copies};
    EXPECT_EQ(PathSets(r, scan), want) << "byte check " << byteCheck;
    EXPECT_EQ(r.LeftOut, 3u);
    EXPECT_FALSE(r.Stopped);
    // What the copies but one take on disk: one of a and c, 68 of the 69 m files left.
    EXPECT_EQ(r.Wasted, DiskBytes(tmp / "c") + 68 * DiskBytes(tmp / "m0"));
    EXPECT_EQ(progress.BytesRead.load(), progress.BytesToRead.load());
  }
}

TEST(DuplicateSearch, OneReaderOrSeveralGiveTheSameGroupsAndCancelKeepsTrueOnes) {
  for (std::uint32_t seed = 0; seed < 2; ++seed) {
    TTempDir tmp;
    MakeRandomTree(tmp.Path(), seed, false);
    TScanHarness scan;
    scan.Run(tmp.Path());
    const auto search = [&](int threads, const std::function<bool()>& stop,
                            TDuplicateProgress& progress) {
      TDuplicateOptions options;
      options.Folders = true;
      options.Threads = threads;
      const auto source = CreateContentSource();
      return FindDuplicates(scan.Records, scan.Tree, TPathStyle::Posix, options, *source, progress,
                            stop);
    };
    TDuplicateProgress one;
    TDuplicateProgress four;
    const TDuplicateResult alone = search(
        1, [] { return false; }, one);
    const TDuplicateResult together = search(
        4, [] { return false; }, four);
    ASSERT_GT(alone.Groups.size(), 3u) << "seed " << seed;
    EXPECT_EQ(PathSets(alone, scan), PathSets(together, scan));
    EXPECT_EQ(alone.Members, together.Members);
    EXPECT_EQ(alone.Wasted, together.Wasted);
    EXPECT_EQ(one.BytesRead.load(), one.BytesToRead.load());
    EXPECT_EQ(four.BytesRead.load(), four.BytesToRead.load());
    // Stopped once two sets are found: what is listed is true, and no folders are claimed.
    TDuplicateProgress part;
    const TDuplicateResult stopped = search(
        1, [&] { return part.Groups.load() >= 2; }, part);
    EXPECT_TRUE(stopped.Stopped);
    EXPECT_GE(stopped.Groups.size(), 1u);
    EXPECT_LT(stopped.Groups.size(), alone.Groups.size());
    std::set<std::string> grouped;
    for (const auto& set : PathSets(alone, scan)) grouped.insert(set.begin(), set.end());
    for (const TDuplicateGroup& g : stopped.Groups) {
      EXPECT_EQ(g.Kind, TDuplicateKind::Files);
      for (std::uint32_t m : stopped.MembersOf(g)) {
        EXPECT_TRUE(grouped.contains(
            DuplicateMemberPath(g, m, scan.Records, scan.Tree, TPathStyle::Posix)));
      }
    }
  }
}

}  // namespace
}  // namespace Vellumetric
