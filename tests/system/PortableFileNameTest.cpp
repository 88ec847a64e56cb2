#include <gtest/gtest.h>

#include <string>

#include "system/PortableFileName.h"

namespace Vellumetric {
namespace {

TEST(PortableFileName, DeviceNamesInAnyCaseWithAnyExtension) {
  const std::pair<const char*, const char*> devices[] = {{"CON", "CON"},
                                                         {"con", "CON"},
                                                         {"Nul.sbf", "NUL"},
                                                         {"aux.tar.gz", "AUX"},
                                                         {"PRN.", "PRN"},
                                                         {"prn  ", "PRN"},
                                                         {"CON .txt", "CON"},
                                                         {"com0", "COM0"},
                                                         {"COM9.csv", "COM9"},
                                                         {"LPT1.txt", "LPT1"},
                                                         {"lpt0", "LPT0"},
                                                         {"com\xc2\xb9.json", "COM\xc2\xb9"},
                                                         {"LPT\xc2\xb3", "LPT\xc2\xb3"}};
  for (const auto& [name, device] : devices) {
    EXPECT_EQ(WindowsNameProblem(name),
              std::string(device) +
                  " is a name Windows keeps for a device, with or without an extension.")
        << name;
  }
}

TEST(PortableFileName, TrailingDotsAndBlanksAndNamesWindowsKeeps) {
  for (const char* name : {"June.", "June ", "report.csv.", "a. ", "."}) {
    EXPECT_EQ(WindowsNameProblem(name),
              "A file name can't end in a dot or a blank: Windows drops them from the name.")
        << name;
  }
  // Near misses are ordinary names, short ones included (nothing reads past their end).
  for (const char* name :
       {"", "C", "CO", "COM", "LPT", "COM10", "LPT1x", "CONSOLE", "xCON", "con_1.sbf", "notes.con",
        ".con", "COM\xc2\xb4", "June", "Drive_C(1).sbf", "\xe5\x86\x99\xe7\x9c\x9f .sbf"}) {
    EXPECT_EQ(WindowsNameProblem(name), "") << name;
  }
}

}  // namespace
}  // namespace Vellumetric
