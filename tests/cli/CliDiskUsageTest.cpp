// Size on disk as du counts it: sparse files, hard links inside and across folders, many tiny
// files. The truth is du -B1 of each folder and python's own lstat walk, never our arithmetic.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "CliRunner.h"
#include "TTempDir.h"
#include "TTreeBuilder.h"

namespace Vellumetric {
namespace {

using namespace Testing;

// A file of `size` bytes holding data only in [dataAt, dataAt + dataLength); false when the file
// system does not keep holes (the huge file would then really take its size).
bool MakeSparse(const std::string& path, long long size, long long dataAt, long long dataLength) {
  const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
  if (fd < 0) return false;
  bool ok = ::ftruncate(fd, size) == 0;
  const std::string data(static_cast<std::size_t>(dataLength), 'd');
  if (ok && dataLength > 0) {
    ok = ::pwrite(fd, data.data(), data.size(), dataAt) == static_cast<ssize_t>(data.size());
  }
  struct stat st {};
  ok = ok && ::fstat(fd, &st) == 0 && st.st_blocks * 512LL < size;
  ::close(fd);
  return ok;
}

// A file holding real bytes (the shared MakeFile leaves holes).
void WriteData(const std::string& path, std::size_t size) {
  const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
  ASSERT_GE(fd, 0) << path;
  const std::string data(size, 'x');
  ASSERT_EQ(::write(fd, data.data(), size), static_cast<ssize_t>(size)) << path;
  ::close(fd);
}

// The awkward tree of a full disk: holes, names of one file in one folder and across folders,
// ten thousand empty files and a thousand of one byte.
bool MakeAwkwardTree(const std::string& root) {
  for (const char* d : {"/images", "/links", "/links/a", "/links/b", "/same", "/tiny",
                        "/tiny/empty", "/tiny/one", "/plain"}) {
    ::mkdir((root + d).c_str(), 0755);
  }
  if (!MakeSparse(root + "/images/probe.img", 1 << 20, 0, 0)) return false;
  if (!MakeSparse(root + "/images/disk.img", 10LL << 30, 0, 0)) return false;
  if (!MakeSparse(root + "/images/middle.img", 64 << 20, 32 << 20, 1 << 20)) return false;
  WriteData(root + "/links/a/shared.bin", 3 << 20);
  WriteData(root + "/same/twice.bin", 200000);
  WriteData(root + "/plain/alone.txt", 12345);
  bool ok =
      ::link((root + "/links/a/shared.bin").c_str(), (root + "/links/b/shared.bin").c_str()) == 0 &&
      ::link((root + "/links/a/shared.bin").c_str(), (root + "/links/a/again.bin").c_str()) == 0 &&
      ::link((root + "/same/twice.bin").c_str(), (root + "/same/twice-too.bin").c_str()) == 0;
  for (int i = 0; i < 10000 && ok; ++i) MakeFile(root + "/tiny/empty/e" + std::to_string(i), 0);
  for (int i = 0; i < 1000 && ok; ++i) WriteData(root + "/tiny/one/o" + std::to_string(i), 1);
  return ok;
}

// Compares every folder's disk_bytes with du -B1 -s of it, except folders that a hard link
// crosses (a file with names inside and outside): du and the scan may meet those names in another
// order, so which side counts the blocks is theirs to pick. The root is always compared.
constexpr const char* kCheckAgainstDu = R"PY(
import json, os, subprocess, sys
doc = json.load(open(sys.argv[1]))
root = doc['tree']['path']
names = {}
for dirpath, dirs, files in os.walk(root):
    for f in files:
        st = os.lstat(os.path.join(dirpath, f))
        if st.st_nlink > 1:
            names.setdefault((st.st_dev, st.st_ino), []).append(dirpath)
def crossed(folder):
    for places in names.values():
        inside = [p for p in places if p == folder or p.startswith(folder + '/')]
        if inside and len(inside) < len(places):
            return True
    return False
compared, skipped, wrong = 0, 0, []
def walk(node):
    global compared, skipped
    if node['path'] != root and crossed(node['path']):
        skipped += 1
    else:
        du = int(subprocess.run(['du', '-B1', '-s', node['path']], capture_output=True,
                                check=True).stdout.split()[0])
        compared += 1
        if du != node['disk_bytes']:
            wrong.append((node['path'], du, node['disk_bytes']))
    for c in node['children']:
        walk(c)
walk(doc['tree'])
print(compared, skipped, wrong)
)PY";

TEST(CliDiskUsage, OnDiskMatchesDuPerFolderAndAnyThreadCountGivesTheSameBytes) {
  TTempDir tmp;
  const std::string root = tmp / "tree";
  ::mkdir(root.c_str(), 0755);
  if (!MakeAwkwardTree(root)) GTEST_SKIP() << "this file system keeps no holes or no hard links";
  const std::string one = tmp / "one.json";
  const std::string many = tmp / "many.json";
  const std::string scan = ShellQuote(kCli) + " scan --json --no-history " + ShellQuote(root);
  RunCommand(scan + " --threads 1 > " + ShellQuote(one));
  RunCommand(scan + " --threads 16 > " + ShellQuote(many));
  EXPECT_EQ(RunCommand("cmp " + ShellQuote(one) + " " + ShellQuote(many) + " && echo same"),
            "same\n");
  // Folders: root, images, links, a, b, same, tiny, empty, one, plain; a and b are crossed by
  // shared.bin (links holds all its names, so it is compared).
  EXPECT_EQ(RunCommand("python3 -c " + ShellQuote(kCheckAgainstDu) + " " + ShellQuote(one)),
            "8 2 []\n");
  // Size keeps its meaning: every name its full logical size, as du --apparent-size -l counts.
  const TDiskTruth truth = MeasureWithDuAndFind(root);
  const std::string totals =
      RunCommand("python3 -c " +
                 ShellQuote("import json,sys\nt=json.load(open(sys.argv[1]))['tree']\n"
                            "print(t['size'], t['disk_bytes'], t['files'])") +
                 " " + ShellQuote(one));
  EXPECT_EQ(totals, std::to_string(truth.Size) + " " + std::to_string(truth.Disk) + " 11009\n");
}

TEST(CliDiskUsage, MeasureDiskPicksTheBiggestByBlocksAndMarksWhatTheyAre) {
  TTempDir tmp;
  const std::string root = tmp / "tree";
  ::mkdir(root.c_str(), 0755);
  if (!MakeAwkwardTree(root)) GTEST_SKIP() << "this file system keeps no holes or no hard links";
  const std::string py =
      "import json,sys\nd=json.load(sys.stdin)\n"
      "print(d['measure'], d['tree']['children'][0]['name'])\n"
      "b=d['biggest']\n"
      "print([f['name'] for f in b[:3]])\n"
      "print(sum(1 for f in b if f['name'] in ('shared.bin','again.bin')))\n"
      "print(sorted(k for f in b for k in ('hardlink','sparse') if f.get(k)))\n";
  const std::string bySize = RunCommand(ShellQuote(kCli) + " scan --json --no-history " +
                                        ShellQuote(root) + " | python3 -c " + ShellQuote(py));
  // By size the empty 10 GB image leads, and each name of the 3 MB file is listed.
  EXPECT_EQ(bySize.substr(0, bySize.find('\n')), "size images") << bySize;
  EXPECT_NE(bySize.find("['disk.img', 'middle.img'"), std::string::npos) << bySize;
  const std::string byDisk =
      RunCommand(ShellQuote(kCli) + " scan --json --no-history --measure disk " + ShellQuote(root) +
                 " | python3 -c " + ShellQuote(py));
  // On disk the images hold about 1 MB, less than the links' 3 MB; the linked file counts once,
  // its other names hold no blocks, so only one of its names is among the biggest.
  EXPECT_EQ(byDisk.substr(0, 5), "disk ") << byDisk;
  EXPECT_EQ(byDisk.find("disk images"), std::string::npos) << byDisk;
  EXPECT_NE(byDisk.find("\n1\n"), std::string::npos) << byDisk;
  EXPECT_NE(byDisk.find("'hardlink'"), std::string::npos) << byDisk;
  EXPECT_NE(byDisk.find("'sparse'"), std::string::npos) << byDisk;
  // find --on-disk bounds by blocks: the empty image has none, so --min 1M leaves it out.
  const std::string found = Cli("find --on-disk --min 1M --csv " + ShellQuote(root));
  EXPECT_EQ(found.find("disk.img"), std::string::npos) << found;
  EXPECT_NE(found.find("middle.img"), std::string::npos) << found;
}

}  // namespace
}  // namespace Vellumetric
