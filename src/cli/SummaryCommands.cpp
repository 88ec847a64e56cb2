#include "cli/SummaryCommands.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "cli/ScanReport.h"
#include "cli/TCliSession.h"
#include "filetypes/DefaultFileTypes.h"
#include "filetypes/VLMOptions.h"
#include "persistence/SummaryFile.h"
#include "system/NativePlatform.h"
#include "system/PathRules.h"
#include "system/SystemFolders.h"
#include "system/TextEncoding.h"

namespace Vellumetric {
namespace {

void PrintError(const std::string& message) {
  std::fprintf(stderr, "%s\n", message.c_str());
}

std::string ResolveSummaryFile(TCliContext& context, const std::string& file) {
  std::error_code ec;
  if (file.find_first_of("/\\") != std::string::npos ||
      std::filesystem::exists(Utf8Path(file), ec)) {
    return file;
  }
  const std::string name = EqualsIgnoreAsciiCase(ExtractExtension(NativePathStyle(), file), ".sbf")
                               ? file
                               : file + ".sbf";
  return JoinNativePath(context.Info.BackupFolder(), name);
}

// The options dialog's list item caption of a group.
std::string GroupCaption(const TFileExtDescData& group, const TFileExtList& extensions) {
  std::string list;
  for (const TFileExtData& e : extensions) {
    if (e.DescID != group.ID) continue;
    if (!list.empty()) list += ", ";
    list += "*" + e.Ext;
  }
  return group.Desc + " (" + list + ")";
}

bool CaselessLess(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    const auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    return static_cast<unsigned char>(fold(x)) < static_cast<unsigned char>(fold(y));
  });
}

}  // namespace

void PrepareCliContext(TCliContext& context) {
  std::string message;
  context.HasDataFolder = context.Info.Init(VellumetricProductIndex, "1.2.0", 6, message);
  if (!context.HasDataFolder) {
    PrintError("warning: " + message + " Using the built-in file types.");
    context.Groups = DefaultGroupList();
    context.Extensions = DefaultExtensionList();
    return;
  }
  VLMOptions options(JoinNativePath(context.Info.DataFolder(), VLMOptions::FileName), PrintError);
  options.LoadGroups(context.Groups);
  options.LoadExtensions(context.Extensions);
}

int RunOpenCommand(const std::string& file, bool json) {
  TCliContext context;
  std::string message;
  context.HasDataFolder = context.Info.Init(VellumetricProductIndex, "1.2.0", 6, message);
  const std::string path = ResolveSummaryFile(context, file);
  std::ifstream probe(Utf8Path(path), std::ios::binary);
  if (!probe) {
    PrintError("cannot open " + path + ": " + std::strerror(errno));
    return 1;
  }
  std::string bytes((std::istreambuf_iterator<char>(probe)), std::istreambuf_iterator<char>());
  if (!IsWellFormedSummary(std::move(bytes))) {
    // The window reads leniently whatever it is given; here a wrong file is an error, so a
    // script never takes, say, a text file for an empty summary.
    PrintError("cannot open " + path + ": not a summary file");
    return 1;
  }
  TCliSession session({}, {}, false);
  session.Load(path);
  const std::string out =
      json ? SummaryJsonReport(session.Title(), session.General(), session.Detail())
           : SummaryTextReport(session.Title(), session.General(), session.Detail());
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}

int RunGroupsCommand() {
  TCliContext context;
  PrepareCliContext(context);
  std::vector<std::string> captions;
  for (const TFileExtDescData& g : context.Groups) {
    captions.push_back(GroupCaption(g, context.Extensions));
  }
  std::stable_sort(captions.begin(), captions.end(), CaselessLess);
  for (const std::string& caption : captions) std::printf("%s\n", caption.c_str());
  return 0;
}

}  // namespace Vellumetric
