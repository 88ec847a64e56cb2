#pragma once

#include <QString>
#include <string>

namespace Vellumetric {

// Paths cross between Qt and the rest of the program here. The program keeps them as UTF-8 on
// Windows (the system's UTF-16 names converted) and as the file system's own bytes elsewhere, so
// Qt's 8-bit file names, which are the ANSI code page on Windows, are not the form to use there.
[[nodiscard]] std::string PathFromQt(const QString& path);
[[nodiscard]] QString PathToQt(const std::string& path);

}  // namespace Vellumetric
