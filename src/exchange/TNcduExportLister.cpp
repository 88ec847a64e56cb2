#include "exchange/TNcduExportLister.h"

namespace Vellumetric {

TNcduExportLister::TNcduExportLister(std::unique_ptr<TDirectoryLister> inner,
                                     TCompressedOutput& out, TNcduHeader header)
    : Inner(std::move(inner)), Out(out), Header(std::move(header)) {}

void TNcduExportLister::AppendJsonString(std::string& out, std::string_view name) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      out += "\\u00";
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    } else {
      out += c;
    }
  }
  out += '"';
}

bool TNcduExportLister::EnterRoot(std::string_view path, bool stayOnRootVolume) {
  const bool listed = Inner->EnterRoot(path, stayOnRootVolume);
  Line = "[1,2,{\"progname\":";
  AppendJsonString(Line, Header.ProgramName);
  Line += ",\"progver\":";
  AppendJsonString(Line, Header.ProgramVersion);
  Line += ",\"timestamp\":" + std::to_string(Header.Timestamp) + "},\n[";
  Out.Write(Line);
  PendingName = Header.Root.empty() ? std::string(path) : Header.Root;
  PendingSize = 0;
  PendingDisk = listed ? Inner->RootDiskSize() : 0;
  WriteFolderInfo(!listed);
  if (!listed) {
    Out.Write("]]\n");  // the walk ends here: nothing will be left
    return false;
  }
  Depth = 1;
  return true;
}

bool TNcduExportLister::EnterChild(std::string_view name, std::string_view fullPath) {
  const bool entered = Inner->EnterChild(name, fullPath);
  if (entered) {
    Out.Write(",\n[");
    WriteFolderInfo(false);
    ++Depth;
    return true;
  }
  if (Inner->LastError() != 0) {
    Out.Write(",\n[");
    WriteFolderInfo(true);
    Out.Write("]");
  } else {
    // Not entered without an error: on another file system than a drive scan's root.
    Line = ",\n{\"name\":";
    AppendJsonString(Line, PendingName);
    Line += ",\"excluded\":\"otherfs\"}";
    Out.Write(Line);
  }
  return false;
}

bool TNcduExportLister::Next(TDirEntry& entry) {
  if (!Inner->Next(entry)) return false;
  if (entry.Name == "." || entry.Name == "..") return true;
  if (entry.IsDirectory) {
    PendingName.assign(entry.Name);
    PendingSize = entry.Size;
    PendingDisk = entry.DiskSize;
  } else {
    WriteFile(entry);
  }
  return true;
}

void TNcduExportLister::Leave() {
  Inner->Leave();
  if (Depth == 0) return;
  --Depth;
  Out.Write(Depth == 0 ? "]]\n" : "]");
}

void TNcduExportLister::WriteFolderInfo(bool readError) {
  Line = "{\"name\":";
  AppendJsonString(Line, PendingName);
  Line += ",\"asize\":" + std::to_string(PendingSize);
  Line += ",\"dsize\":" + std::to_string(PendingDisk);
  if (readError) Line += ",\"read_error\":true";
  Line += '}';
  Out.Write(Line);
}

void TNcduExportLister::WriteFile(const TDirEntry& entry) {
  Line = ",\n{\"name\":";
  AppendJsonString(Line, entry.Name);
  Line += ",\"asize\":" + std::to_string(entry.Size);
  Line += ",\"dsize\":" + std::to_string(entry.DiskSize);
  const TFileIdentity& id = entry.Identity;
  if (id.File != 0 && id.Links > 1) {
    const auto [it, added] = Inodes.try_emplace({id.Volume, id.File}, Inodes.size() + 1);
    (void)added;
    Line += ",\"ino\":" + std::to_string(it->second) +
            ",\"hlnkc\":true,\"nlink\":" + std::to_string(id.Links);
  }
  if (entry.Error != 0) Line += ",\"read_error\":true";
  Line += '}';
  Out.Write(Line);
}

}  // namespace Vellumetric
