#include "core/Text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

namespace {

// Numbers come from monitors and files: only a whole, plain ASCII number counts.
TEST(NumberText, WholeAsciiNumbersOnly) {
  const QString longZeros = QString(80, QLatin1Char('0')) + QStringLiteral("42");
  struct Case {
    QString text;
    std::optional<int> asInt;
    std::optional<double> asDouble;
  };
  const Case cases[] = {
      {"42", 42, 42.0},
      {"+7", 7, 7.0},
      {"-3", -3, -3.0},
      {"65.4", std::nullopt, 65.4},
      {"", std::nullopt, std::nullopt},
      {"+", std::nullopt, std::nullopt},
      {" 5", std::nullopt, std::nullopt},
      {"5 ", std::nullopt, std::nullopt},
      {"++5", std::nullopt, std::nullopt},
      {"9999999999", std::nullopt, 9999999999.0},
      {"inf", std::nullopt, std::nullopt},
      {"nan", std::nullopt, std::nullopt},
      {QStringLiteral("4\u0662"), std::nullopt, std::nullopt},  // an Arabic-Indic digit
      {QString::fromUtf16(u"5\u0000", 2), std::nullopt, std::nullopt},
      {longZeros, 42, 42.0},  // longer than the stack copy
      {longZeros + QStringLiteral("\u00e9"), std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(qmtext::ToInt(c.text), c.asInt) << c.text.toStdString();
    EXPECT_EQ(qmtext::ToDouble(c.text), c.asDouble) << c.text.toStdString();
  }
  // A view into a longer text parses only its own characters.
  const QString line = QStringLiteral("laf=123&x");
  EXPECT_EQ(qmtext::ToInt(QStringView(line).mid(4, 3)), 123);
}

}  // namespace
