#include "TNtfsImage.h"

#include <sstream>

namespace Vellumetric::Testing {

const char* const kNtfsImageTool = VLM_NTFS_IMAGE_TOOL;

namespace {

std::vector<TImageName> ParseWalk(const std::string& text) {
  std::vector<TImageName> names;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    std::vector<std::string> f;
    std::size_t at = 0;
    for (std::size_t tab; (tab = line.find('\t', at)) != std::string::npos; at = tab + 1) {
      f.push_back(line.substr(at, tab - at));
    }
    f.push_back(line.substr(at));
    if (f.size() != 6) continue;
    names.push_back({f[0][0], f[1], std::stoull(f[2]), std::stoull(f[3]), std::stoull(f[4]),
                     std::stoull(f[5])});
  }
  return names;
}

std::string ParentOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

bool TNtfsImage::Available(std::string& reason) {
  if (RunCommand("command -v mkntfs || ls /usr/sbin/mkntfs /sbin/mkntfs 2>/dev/null").empty()) {
    reason = "mkntfs (Debian package ntfs-3g) is not installed";
    return false;
  }
  return true;
}

TNtfsImage::TNtfsImage(std::uint64_t megabytes, std::uint32_t clusterBytes)
    : Image(Dir_.Path() + "/volume.img"), Megabytes(megabytes), ClusterBytes(clusterBytes) {}

void TNtfsImage::Dir(const std::string& path) {
  Script += "dir\t" + path + "\n";
  Made[path] = {'d', path, 0, 0, 0, 0};
}

void TNtfsImage::File(const std::string& path, std::uint64_t size) {
  Script += "file\t" + path + "\t" + std::to_string(size) + "\n";
  Made[path] = {'f', path, size, 0, 0, 0};
}

void TNtfsImage::Sparse(const std::string& path, std::uint64_t offset, std::uint64_t length) {
  Script +=
      "sparse\t" + path + "\t" + std::to_string(offset) + "\t" + std::to_string(length) + "\n";
  Made[path] = {'f', path, offset + length, 0, 0, 0};
}

void TNtfsImage::Link(const std::string& existing, const std::string& path) {
  Script += "link\t" + existing + "\t" + path + "\n";
  Made[path] = Made.at(existing);
  Made[path].Path = path;
}

void TNtfsImage::Stream(const std::string& path, const std::string& name, std::uint64_t size) {
  Script += "stream\t" + path + "\t" + name + "\t" + std::to_string(size) + "\n";
}

void TNtfsImage::DosName(const std::string& path, const std::string& shortName) {
  Script += "dos\t" + path + "\t" + shortName + "\n";
}

void TNtfsImage::Compress(const std::string& folder) {
  Script += "compress\t" + folder + "\n";
}

void TNtfsImage::Delete(const std::string& path) {
  Script += "delete\t" + path + "\n";
  Made.erase(path);
}

void TNtfsImage::Many(const std::string& folder, int count, std::uint64_t size,
                      const std::string& prefix) {
  Script += "many\t" + folder + "\t" + std::to_string(count) + "\t" + std::to_string(size) + "\t" +
            prefix + "\n";
  char name[64];
  for (int i = 0; i < count; ++i) {
    std::snprintf(name, sizeof name, "%07d", i);
    const std::string path = (folder.empty() ? "" : folder + "/") + prefix + name;
    Made[path] = {'f', path, size, 0, 0, 0};
  }
}

bool TNtfsImage::Build(std::string& error) {
  int status = 0;
  const std::string image = ShellQuote(Image);
  error = RunCommand("truncate -s " + std::to_string(Megabytes) + "M " + image +
                         " && PATH=$PATH:/usr/sbin:/sbin mkntfs -F -Q -q " +
                         (ClusterBytes != 0 ? "-c " + std::to_string(ClusterBytes) + " " : "") +
                         image + " 2>&1",
                     &status);
  if (status != 0) return false;
  const std::string scriptFile = Dir_.Path() + "/script.txt";
  FILE* f = std::fopen(scriptFile.c_str(), "wb");
  if (!f) return false;
  std::fwrite(Script.data(), 1, Script.size(), f);
  std::fclose(f);
  RunCommand(ShellQuote(kNtfsImageTool) + " fill " + image + " < " + ShellQuote(scriptFile) +
                 " 2>" + ShellQuote(Dir_.Path() + "/tool.err"),
             &status);
  if (status != 0) {
    error = RunCommand("cat " + ShellQuote(Dir_.Path() + "/tool.err"));
    return false;
  }
  return Walk(error);
}

bool TNtfsImage::Walk(std::string& error) {
  int status = 0;
  // The library's messages go elsewhere: mixed into the list they would cut lines apart.
  const std::string errors = ShellQuote(Dir_.Path() + "/walk.err");
  const std::string out = RunCommand(
      ShellQuote(kNtfsImageTool) + " walk " + ShellQuote(Image) + " 2>" + errors, &status);
  if (status != 0) {
    error = RunCommand("cat " + errors);
    return false;
  }
  Walked = ParseWalk(out);
  return true;
}

std::vector<TImageName> TNtfsImage::ExpectedList() const {
  std::vector<TImageName> list;
  for (const auto& [path, name] : Made) list.push_back(name);
  return list;
}

namespace {

bool IsBelow(const std::string& path, const std::string& folder) {
  return folder.empty()
             ? !path.empty()
             : path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
                   path[folder.size()] == '/';
}

}  // namespace

std::map<std::string, std::uint64_t> TNtfsImage::DiskTotals(const std::vector<TImageName>& names) {
  std::map<std::uint64_t, std::vector<const TImageName*>> byRecord;
  std::vector<std::string> folders;
  for (const TImageName& n : names) {
    byRecord[n.Record].push_back(&n);
    if (n.Kind == 'd') folders.push_back(n.Path);
  }
  std::map<std::string, std::uint64_t> totals;
  for (const std::string& folder : folders) {
    std::uint64_t disk = 0;
    bool crossed = false;
    for (const auto& [record, list] : byRecord) {
      std::size_t inside = 0;
      for (const TImageName* n : list) inside += n->Path == folder || IsBelow(n->Path, folder);
      if (inside != 0 && inside != list.size()) crossed = true;
      if (inside != 0) disk += list.front()->Disk;
    }
    if (!crossed) totals[folder] = disk;
  }
  return totals;
}

std::map<std::string, TFolderTotals> TNtfsImage::Totals(const std::vector<TImageName>& names) {
  std::map<std::string, TFolderTotals> totals;
  totals[""];
  for (const TImageName& n : names) {
    if (n.Kind == 'd') totals[n.Path];
    for (std::string up = n.Path; !up.empty();) {
      up = ParentOf(up);
      TFolderTotals& t = totals[up];
      if (n.Kind == 'd') {
        ++t.Folders;
      } else {
        ++t.Files;
        t.Size += n.Size;
      }
    }
  }
  return totals;
}

}  // namespace Vellumetric::Testing
