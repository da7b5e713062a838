#include "core/Text.h"
#include "download/DataFiles.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace qmfiles;

TEST(DataFilesTest, PrfRowsPrintOneDecimalLikeTheGeneralFormatting) {
  for (const double leq : {65.4, 0.0, -0.5, -12.3, 120.0, 249.95, -49.95, 65.25, 0.05, -0.0}) {
    QStringList list{"."};
    PutPrfValue(list, leq, 86399);  // appended: the list is short
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list[1].toStdString(), "23:59:59," + QString::number(leq, 'f', 1).toStdString())
        << leq;
  }
  EXPECT_EQ(TimeText(0), "00:00:00");
  EXPECT_EQ(TimeText(3723), "01:02:03");
}

TEST(DataFilesTest, NumbersReadAsTheStrictConversionReadsThem) {
  for (const char* text : {"654", "-5", "0", "-0", "007", "123456789", "1234567890", "65.4", "+5",
                           "", "-", "5a", " 5", "1e3", "nan", "--5", "9999999999"}) {
    const auto fast = ToNumber(QString(text));
    const auto strict = qmtext::ToDouble(QString(text));
    ASSERT_EQ(fast.has_value(), strict.has_value()) << text;
    if (fast) {
      EXPECT_EQ(*fast, *strict) << text;
      EXPECT_EQ(std::signbit(*fast), std::signbit(*strict)) << text;
    }
  }
}

TEST(DataFilesTest, CommaTextFieldsAndFilledRows) {
  struct Case {
    const char* text;
    QStringList fields;
    bool filled;
  } cases[] = {
      {"10:00:00,55.0", {"10:00:00", "55.0"}, true},
      {"10:00:00,-", {"10:00:00", "-"}, false},
      {"10:00:00, -", {"10:00:00", "-"}, false},
      {"10:00:00 , -,5", {"10:00:00", "-", "5"}, false},
      {"10:00:00 55.0", {"10:00:00", "55.0"}, true},
      {"10:00:00,,-", {"10:00:00", "", "-"}, true},
      {"10:00:00,", {"10:00:00", ""}, true},
      {"  10:00:00", {"10:00:00"}, false},
      {"", {}, false},
  };
  for (const Case& c : cases) {
    QStringList fields;
    const QString text(c.text);
    for (QStringView f : SplitDelimited(text, QLatin1Char(','))) fields << f.toString();
    EXPECT_EQ(fields, c.fields) << c.text;
    EXPECT_EQ(Filled(c.text), c.filled) << c.text;
  }
}

TEST(DataFilesTest, RowTimes) {
  EXPECT_EQ(RowTime("14:03:27,1"), 14 * 3600 + 3 * 60 + 27);
  EXPECT_EQ(RowTime("+4:03:27"), 4 * 3600 + 3 * 60 + 27);  // what the strict conversion takes
  for (const char* bad : {"24:00:00", "12:60:00", "1x:00:00", "12:00", "-1:00:00", ""})
    EXPECT_FALSE(RowTime(bad)) << bad;
}

}  // namespace
