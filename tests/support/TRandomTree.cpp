#include "TRandomTree.h"

#include <sys/stat.h>
#include <unistd.h>

#include <random>
#include <vector>

#include "TTempDir.h"
#include "TTreeBuilder.h"

namespace Vellumetric::Testing {
namespace {

const std::vector<std::string> kStems = {"a",
                                         "Report",
                                         "\xe5\x86\x99\xe7\x9c\x9f",
                                         "\xd0\x92\xd0\xb8\xd0\xb4\xd0\xb5\xd0\xbe",
                                         "emoji \xf0\x9f\x98\x80",
                                         "space name",
                                         ".hidden",
                                         "caf\xc3\xa9",
                                         "x",
                                         "dup"};
const std::vector<std::string> kExtensions = {"",      ".jpg",    ".TXT", ".mp4",
                                              ".docx", ".tar.gz", ".bin", ".Mp3"};
// Few distinct sizes, so ties for the biggest files are common.
const std::vector<unsigned long long> kSizes = {0, 1, 512, 4096, 4096, 70000, 70000, 1234567};

class TGrower {
 public:
  TGrower(std::uint32_t seed, bool lockSome) : Rng(seed), Lock(lockSome) {}

  void Folder(const std::string& path, int depth, int files, int folders) {
    for (int i = 0; i < files; ++i) {
      MakeFile(path + "/" + Name(i) + Pick(kExtensions), Pick(kSizes) + Below(3));
    }
    if (Below(6) == 0) {
      ::symlink("..", (path + "/up link").c_str());
      ::symlink("missing", (path + "/dangling").c_str());
    }
    for (int i = 0; i < folders; ++i) {
      const std::string child = path + "/" + Name(1000 + i);
      if (::mkdir(child.c_str(), 0755) != 0) continue;
      if (depth < 6 && Below(4) != 0) {
        Folder(child, depth + 1, static_cast<int>(Below(12)), static_cast<int>(Below(5)));
      }
      if (Lock && Below(12) == 0) ::chmod(child.c_str(), Below(2) ? 0 : 0311);
    }
  }

  std::uint32_t Below(std::uint32_t n) {
    return std::uniform_int_distribution<std::uint32_t>(0, n - 1)(Rng);
  }

 private:
  std::string Name(int i) { return Pick(kStems) + " " + std::to_string(i); }
  template <class T>
  const T& Pick(const std::vector<T>& list) {
    return list[Below(static_cast<std::uint32_t>(list.size()))];
  }

  std::mt19937 Rng;
  bool Lock;
};

}  // namespace

void MakeRandomTree(const std::string& root, std::uint32_t seed, bool lockSome) {
  TGrower grow(seed, lockSome);
  switch (seed % 4) {
    case 0:  // bushy
      grow.Folder(root, 0, 10, 8);
      break;
    case 1:  // one wide folder next to a few small ones
      grow.Folder(root, 4, 3000, 3);
      break;
    case 2:  // a deep chain with files on every level, and a bushy side
      MakeNestedChain(root, "deep \xc3\xa9", 400, 100);
      grow.Folder(root, 3, 5, 6);
      break;
    default:  // empty folders and few files
      grow.Folder(root, 2, 1, 12);
      break;
  }
}

}  // namespace Vellumetric::Testing
