#include "ui/common/PathQText.h"

#include <QDir>
#include <QFile>

#include "system/NativePlatform.h"

namespace Vellumetric {

std::string PathFromQt(const QString& path) {
  // Qt's dialogs answer "C:/Data" on Windows; the program's paths use the system's separator.
  if (NativePathStyle() == TPathStyle::Windows) {
    return QDir::toNativeSeparators(path).toUtf8().toStdString();
  }
  return QFile::encodeName(path).toStdString();
}

QString PathToQt(const std::string& path) {
  if (NativePathStyle() == TPathStyle::Windows) return QString::fromStdString(path);
  return QFile::decodeName(QByteArray::fromStdString(path));
}

}  // namespace Vellumetric
