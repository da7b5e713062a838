#include "core/LineSplit.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

struct Fed {
  QStringList lines;
  int overlong = 0;
  std::string pending;
};

// The segments one after the other, as reads would give them.
Fed Feed(const std::vector<QByteArray>& segments, std::size_t maxLine = 48000) {
  Fed out;
  for (const QByteArray& s : segments) {
    out.overlong += qmtext::SplitReceived(out.pending, s.constData(), std::size_t(s.size()),
                                          maxLine, [&](const QString& l) { out.lines << l; });
  }
  return out;
}

TEST(LineSplit, FramingCases) {
  struct Case {
    std::vector<QByteArray> segments;
    QStringList lines;
    std::string pending;
  } cases[] = {
      {{"text\r\n"}, {"text"}, ""},
      {{"text\n"}, {"text"}, ""},
      {{"a\rb\n"}, {"a\rb"}, ""},
      {{"one\ntwo\r\nthree\n"}, {"one", "two", "three"}, ""},
      {{"sp", "li", "t\r", "\n"}, {"split"}, ""},
      {{"\n", "\r\n", "x\n"}, {"x"}, ""},
      {{"caf\xc3\xa9\n"}, {"caf??"}, ""},
      {{"done\npart"}, {"done"}, "part"},
      {{"\r"}, {}, "\r"},
  };
  for (const auto& c : cases) {
    const Fed fed = Feed(c.segments);
    EXPECT_EQ(fed.lines, c.lines) << c.segments[0].constData();
    EXPECT_EQ(fed.pending, c.pending) << c.segments[0].constData();
    EXPECT_EQ(fed.overlong, 0);
  }
}

TEST(LineSplit, OverlongLineEmptiesTheBufferAndTheRestOfTheRead) {
  struct Case {
    std::vector<QByteArray> segments;
    QStringList lines;
    int overlong;
  } cases[] = {
      // At the limit the line still counts; one more byte and it goes.
      {{"12345\n"}, {"12345"}, 0},
      {{"123456\n"}, {}, 1},
      {{"1234\r\n"}, {"1234"}, 0},
      {{"12345\r\n"}, {}, 1},
      // The lines after an over-long one in the same read go with it.
      {{"a\n123456\nb\n"}, {"a"}, 1},
      // An unfinished line grown past the limit is dropped at once.
      {{"123", "456"}, {}, 1},
      {{"123456", "\nafter\n"}, {"after"}, 1},
      {{"123", "45\n"}, {"12345"}, 0},
  };
  for (const auto& c : cases) {
    const Fed fed = Feed(c.segments, 5);
    EXPECT_EQ(fed.lines, c.lines) << c.segments[0].constData();
    EXPECT_EQ(fed.overlong, c.overlong) << c.segments[0].constData();
    EXPECT_TRUE(fed.pending.empty()) << c.segments[0].constData();
  }
}

}  // namespace
