#include <gtest/gtest.h>

#include <string>

#include "export/CsvText.h"

namespace Vellumetric {
namespace {

// Only fields holding a separator, a quote or a line break are quoted; everything else is written
// as it is, so a spreadsheet shows plain values.
TEST(CsvText, QuotesExactlyTheFieldsThatNeedItAndEndsRecordsWithCrLf) {
  TCsvText csv({"name", "size"});
  csv.Field("plain text").Field(std::uint64_t{18446744073709551615ULL}).EndRow();
  csv.Field("").Field(" lead,trail ").EndRow();
  csv.Field("say \"hi\"").Field("cr\ronly").EndRow();
  csv.Field("two\nlines").Field("bad \xc3(byte").EndRow();
  EXPECT_EQ(csv.Text(),
            "name,size\r\n"
            "plain text,18446744073709551615\r\n"
            ",\" lead,trail \"\r\n"
            "\"say \"\"hi\"\"\",\"cr\ronly\"\r\n"
            "\"two\nlines\",bad \xef\xbf\xbd(byte\r\n");
}

}  // namespace
}  // namespace Vellumetric
