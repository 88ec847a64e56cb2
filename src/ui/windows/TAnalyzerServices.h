#pragma once

#include <QLocale>
#include <QString>
#include <functional>
#include <string>
#include <string_view>

#include "model/TFileExtData.h"
#include "model/TFileExtDescData.h"
#include "system/NativePlatform.h"
#include "system/TApplicationInfo.h"
#include "system/TDiskInfo.h"
#include "system/TDriveInfo.h"
#include "system/TDriveInfoCache.h"
#include "ui/dialogs/TDialogPrompts.h"
#include "ui/progress/TVLMDiskScanProgressForm.h"
#include "ui/results/TScanHistoryHook.h"
#include "ui/start/TVLMDriveListForm.h"

class QWidget;

namespace Vellumetric {

// What the analyzer asks of the system, replaceable in tests.
struct TAnalyzerServices {
  std::function<void(TDiskList&)> BuildDisks = [](TDiskList& d) { BuildDiskList(d); };
  TVLMDriveListForm::TVolumeQuery VolumeQuery = [](const std::string& root) {
    return QueryVolumeFacts(root);
  };
  TDriveInfoCache::TGather GatherDrive = [](std::string_view root) {
    return GatherDriveInfo(root, QLocale::system().decimalPoint().toStdString());
  };
  TListerFactory Listers = [] { return CreateDirectoryLister(); };
  // Fills the group and extension lists from the group database.
  std::function<void(TFileExtDescList&, TFileExtList&)> LoadGroups;
  // Says why a scan file cannot be opened (a stop-icon message box unless replaced).
  TDialogPrompts::TNotice ScanFileError = TDialogPrompts::Standard().Error;
  // The file dialog of Open Scan File; empty when the user chose nothing.
  std::function<std::string(QWidget* parent)> ChooseScanFile;
  // The folder dialog of Browse; empty when the user chose nothing.
  std::function<std::string(QWidget* parent)> ChooseFolder;
  // The session bus to find the file manager on; empty for the user's own.
  QString BusAddress;
  // The scan history's file, asked when the first scan ends; empty keeps no history.
  std::function<std::string()> HistoryDatabase = [] {
    return TScanHistoryHook::StandardDatabasePath();
  };
  // Where the window's size, splitter, columns and last page are kept between runs, asked when
  // the window is first shown; empty keeps them for the run only.
  std::function<std::string()> WindowStateFolder = [] { return ApplicationInfo().DataFolder(); };
};

}  // namespace Vellumetric
