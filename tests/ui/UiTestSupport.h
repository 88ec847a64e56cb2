#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QLocale>
#include <QObject>
#include <algorithm>
#include <string>
#include <vector>

#include "filetypes/DefaultFileTypes.h"
#include "ui/common/TVLMMessageEvent.h"
#include "ui/windows/TVLMAnalyzerForm.h"

namespace Vellumetric::Testing {

// Receives posted window messages and writes down (message, wParam).
class TMessageRecorder final : public QObject {
 public:
  std::vector<std::pair<int, std::uintptr_t>> Messages;
  bool event(QEvent* e) override {
    if (e->type() >= 2024 && e->type() <= 2033) {
      Messages.push_back({e->type(), static_cast<TVLMMessageEvent*>(e)->WParam});
      return true;
    }
    return QObject::event(e);
  }
};

// The text with the user's decimal separator in place of '.', as the window shows numbers.
inline QString Localized(QString text) {
  return text.replace(QLatin1Char('.'), QLocale::system().decimalPoint());
}

// `path` with the system's own separators, as the program gives paths back.
inline std::string NativePath(std::string path) {
#ifdef _WIN32
  std::replace(path.begin(), path.end(), '/', '\\');
#endif
  return path;
}

// The scan, the turns of the event loop that end it (later ones on Windows, whose event loop runs
// zero-time timers on a later turn) and the summary are all over.
inline bool Settled(const TVLMAnalyzerForm& a) {
  return !a.WorkPending();
}

inline void DeliverPosted() {
  QCoreApplication::sendPostedEvents();
}

// Three drives: half full, full and empty (capacity 0 stands for a failed query).
inline TDiskList FakeDisks() {
  TDiskList disks(3);
  const char* names[] = {"System (/)", "Data (/data)", "Broken (/broken)"};
  const char* roots[] = {"/", "/data", "/broken"};
  for (int i = 0; i < 3; ++i) {
    disks[static_cast<std::size_t>(i)].Name = names[i];
    disks[static_cast<std::size_t>(i)].RootPath = roots[i];
  }
  return disks;
}

inline TVolumeFacts FakeFacts(const std::string& root) {
  TVolumeFacts f;
  f.Valid = root != "/broken";
  f.FileSystem = "ext4";
  if (root == "/") f.TotalBytes = 100ULL << 30, f.UserFreeBytes = 50ULL << 30;
  if (root == "/data") f.TotalBytes = 10ULL << 30, f.UserFreeBytes = 0;
  return f;
}

inline TAnalyzerServices FakeServices() {
  TAnalyzerServices s;
  s.BuildDisks = [](TDiskList& d) { d = FakeDisks(); };
  s.VolumeQuery = FakeFacts;
  s.HistoryDatabase = [] { return std::string(); };    // a test that wants one names its own
  s.WindowStateFolder = [] { return std::string(); };  // no test's window lays out the next
  s.GatherDrive = [](std::string_view root) {
    return FormatDriveInfo(root, FakeFacts(std::string(root)),
                           QLocale::system().decimalPoint().toStdString());
  };
  return s;
}

// The fake drives with the built-in group lists instead of a database.
inline TAnalyzerServices ServicesWithDefaults() {
  TAnalyzerServices s = FakeServices();
  s.LoadGroups = [](TFileExtDescList& groups, TFileExtList& extensions) {
    groups = DefaultGroupList();
    extensions = DefaultExtensionList();
  };
  return s;
}

}  // namespace Vellumetric::Testing
