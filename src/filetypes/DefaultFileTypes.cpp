#include "filetypes/DefaultFileTypes.h"

#include <algorithm>
#include <string>

namespace Vellumetric {

const std::vector<std::string_view>& DefaultGroupNames() {
  static const std::vector<std::string_view> names = {
      "Raster Image Files", "Vector Image Files", "3D Image Files", "Video Files",
      "Audio Files",        "Document Files",     "Web Files",      "Font Files",
      "Compressed Files",   "Disk Image Files",   "Backup Files"};
  return names;
}

const std::vector<TDefaultExtension>& DefaultExtensions() {
  static const std::vector<TDefaultExtension> list = [] {
    const std::vector<std::vector<std::string_view>> groups = {
        {".bmp", ".gif", ".jpg", ".png", ".psd", ".pspimage", ".tif"},
        {".ai", ".eps", ".ps", ".svg"},
        {".3dm", ".max", ".blend"},
        {".3g2", ".3gp", ".asf", ".asx", ".avi", ".flv", ".mov", ".mp4", ".mpg", ".rm", ".srt",
         ".swf", ".vob", ".wmv"},
        {".aif", ".iff", ".m3u", ".m4a", ".mid", ".mp3", ".mpa", ".ra", ".wav", ".wma", ".mp4",
         ".m4p", ".aac", ".ogv", ".oga", ".ogx", ".ogg", ".spx"},
        {".doc", ".docx", ".odt", ".pages", ".rtf", ".tex", ".txt", ".wpd", ".wps", ".pdf", ".xps",
         ".xlr", ".xls", ".xlsx"},
        {".asp", ".aspx", ".cer", ".cfm", ".csr", ".css", ".htm", ".html", ".js", ".jsp", ".php",
         ".rss", ".xhtml"},
        {".fnt", ".fon", ".otf", ".ttf"},
        {".7z", ".gz", ".tar.gz", ".rar", ".zip", ".zipx"},
        {".cue", ".dmg", ".iso", ".toast", ".vcd"},
        {".bak", ".tmp", ".old"}};
    std::vector<TDefaultExtension> out;
    for (std::size_t g = 0; g < groups.size(); ++g) {
      for (auto ext : groups[g]) out.push_back({ext, static_cast<std::int32_t>(g)});
    }
    return out;
  }();
  return list;
}

TFileExtDescList DefaultGroupList() {
  TFileExtDescList list;
  const auto& names = DefaultGroupNames();
  for (std::size_t i = 0; i < names.size(); ++i) {
    list.push_back({static_cast<std::int32_t>(i), std::string(names[i])});
  }
  std::stable_sort(list.begin(), list.end(),
                   [](const auto& a, const auto& b) { return a.Desc < b.Desc; });
  return list;
}

TFileExtList DefaultExtensionList() {
  TFileExtList list;
  for (const auto& e : DefaultExtensions()) list.push_back({std::string(e.Ext), e.GroupIndex});
  std::stable_sort(list.begin(), list.end(),
                   [](const auto& a, const auto& b) { return a.Ext < b.Ext; });
  return list;
}

}  // namespace Vellumetric
