#include "display/bh_ledbar.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr QRgb kGreen = qRgb(0, 255, 0), kDarkGreen = qRgb(0, 128, 0);
constexpr QRgb kYellow = qRgb(255, 255, 0), kDarkYellow = qRgb(128, 128, 0);
constexpr QRgb kRed = qRgb(255, 0, 0), kDarkRed = qRgb(128, 0, 0);
constexpr QRgb kSilver = qRgb(192, 192, 192), kGrey = qRgb(128, 128, 128);

struct Bar {
  explicit Bar(int min = 20, int max = 120, int t1 = 65, int t2 = 75) {
    bar.nMin = min;
    bar.nMax = max;
    bar.nTrig1 = t1;
    bar.nTrig2 = t2;
    bar.show();  // the LEDs are laid out when the bar gets its size
  }
  // The colours of LEDs [first, last] after a level.
  void ExpectRange(int first, int last, QRgb colour) const {
    for (int i = first; i <= last; ++i) EXPECT_EQ(bar.LedColour(i), colour) << "LED " << i;
  }
  TLedBar bar;
};

TEST(LedBar, CreatedSizeAndNoLedsUntilResized) {
  TLedBar bar;
  EXPECT_EQ(bar.size(), QSize(132, 12));
  EXPECT_EQ(bar.nMin, 0);
  EXPECT_EQ(bar.nMax, 140);
  EXPECT_FALSE(bar.HasLeds());
  bar.SetLevel(80);  // nothing to colour
  EXPECT_FALSE(bar.HasLeds());
}

TEST(LedBar, LayoutCentresTheRowWithOnePixelGaps) {
  Bar b;
  b.bar.resize(140, 9);  // pitch 4, 12 pixels left over
  ASSERT_TRUE(b.bar.HasLeds());
  for (int i : {0, 1, 31}) EXPECT_EQ(b.bar.LedRect(i), QRect(6 + 4 * i, 0, 3, 9)) << i;
  b.bar.resize(132, 12);
  EXPECT_EQ(b.bar.LedRect(0), QRect(2, 0, 3, 12));
  EXPECT_EQ(b.bar.LedRect(31), QRect(126, 0, 3, 12));
}

TEST(LedBar, WorkedExample) {
  Bar b;
  EXPECT_EQ(b.bar.LevelToLed(65), 14);
  EXPECT_EQ(b.bar.LevelToLed(75), 17);
  EXPECT_EQ(b.bar.LevelToLed(70.4), 16);
  b.bar.SetLevel(70.4);
  b.ExpectRange(0, 13, kGreen);
  b.ExpectRange(14, 16, kYellow);
  b.ExpectRange(17, 31, kDarkRed);
}

TEST(LedBar, LevelToLedRoundsHalvesToEvenAndTruncatesTowardZero) {
  TLedBar bar;
  bar.nMin = 20;
  bar.nMax = 120;
  const struct {
    double level;
    int led;
  } cases[] = {
      {20, 0},     {120, 32},    {17, 0}, {16, -1}, {23.5, 1},  // 24 -> 4*32/100 = 1
      {22.5, 0},                                                // 22 -> 2*32/100 = 0
      {26.5, 1},  // 26 -> 1 (rounding half up would give 27 -> 2)
      {1e300, 32}, {-1e300, -1},
  };
  for (const auto& c : cases) EXPECT_EQ(bar.LevelToLed(c.level), c.led) << c.level;
  bar.nMax = 20;
  EXPECT_EQ(bar.LevelToLed(90), 0);
}

TEST(LedBar, LevelEdges) {
  const struct {
    double level;
    int lastLit;  // -1: none lit
  } cases[] = {{20, 0}, {120, 31}, {130, 31}, {17, 0}, {16, -1}};
  for (const auto& c : cases) {
    Bar b(20, 120, 0, 0);  // grey, so only lit or unlit matters
    b.bar.SetLevel(c.level);
    if (c.lastLit >= 0) b.ExpectRange(0, c.lastLit, kSilver);
    if (c.lastLit < 31) b.ExpectRange(c.lastLit + 1, 31, kGrey);
  }
}

TEST(LedBar, Zones) {
  struct Span {
    int first, last;
    QRgb colour;
  };
  const struct {
    const char* name;
    int min, max, t1, t2;
    double level;
    std::vector<Span> spans;
  } cases[] = {
      {"no yellow trigger: grey whatever the red one holds",
       20,
       120,
       0,
       75,
       70,
       {{0, 16, kSilver}, {17, 31, kGrey}}},
      {"no red trigger: all green", 20, 120, 65, 0, 70, {{0, 16, kGreen}, {17, 31, kDarkGreen}}},
      {"yellow trigger on or above the red one: no yellow zone",
       20,
       120,
       80,
       75,
       120,
       {{0, 16, kGreen}, {17, 31, kRed}}},
      {"empty range: LED 0 bright red, the rest dark red",
       50,
       50,
       65,
       75,
       90,
       {{0, 0, kRed}, {1, 31, kDarkRed}}},
      {"quiet: the zones unlit",
       20,
       120,
       65,
       75,
       30,
       {{0, 3, kGreen}, {4, 13, kDarkGreen}, {14, 16, kDarkYellow}, {17, 31, kDarkRed}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bar b(c.min, c.max, c.t1, c.t2);
    b.bar.SetLevel(c.level);
    for (const Span& s : c.spans) b.ExpectRange(s.first, s.last, s.colour);
  }
}

TEST(LedBar, ResizeLeavesAllUnlitGreyUntilTheNextLevel) {
  Bar b;
  b.bar.SetLevel(100);
  b.bar.resize(200, 12);
  b.ExpectRange(0, 31, kGrey);
  b.bar.SetLevel(100);
  b.ExpectRange(0, 13, kGreen);
}

TEST(LedBar, PaintsTheLedsOnTheOwnersBackground) {
  QWidget owner;
  owner.setAutoFillBackground(true);
  QPalette p = owner.palette();
  p.setColor(QPalette::Window, Qt::black);
  owner.setPalette(p);
  owner.resize(132, 12);
  auto* bar = new TLedBar(&owner);
  bar->nMin = 20;
  bar->nMax = 120;
  bar->nTrig1 = 65;
  bar->nTrig2 = 75;
  owner.show();
  bar->SetLevel(70.4);
  const QImage img = owner.grab().toImage();
  EXPECT_EQ(img.pixel(3, 5), kGreen);         // inside LED 0
  EXPECT_EQ(img.pixel(5, 5), qRgb(0, 0, 0));  // the gap after it
  EXPECT_EQ(img.pixel(2 + 4 * 15, 5), kYellow);
  EXPECT_EQ(img.pixel(2 + 4 * 31, 11), kDarkRed);
}

}  // namespace
