#include "display/FrameGeometry.h"

#include <gtest/gtest.h>

#include <climits>

using namespace qmgeom;

TEST(FrameGeometry, RelativeConversionsRoundHalvesToEven) {
  struct Case {
    int pixels, extent, rel;
  };
  // 1 px of 200 000 is 0.5 units, 3 px is 1.5: halves go to the even neighbour.
  const Case toRel[] = {{1, 200000, 0}, {3, 200000, 2},     {5, 200000, 2},
                        {0, 500, 0},    {500, 500, 100000}, {250, 500, 50000},
                        {1, 3, 33333},  {2, 3, 66667},      {-7, 200000, -4}};
  for (const Case& c : toRel) EXPECT_EQ(ToRel(c.pixels, c.extent, -99), c.rel) << c.pixels;
  // An empty panel keeps the old value instead of dividing by zero.
  EXPECT_EQ(ToRel(100, 0, 1234), 1234);
  EXPECT_EQ(ToRel(100, -5, 1234), 1234);

  struct Back {
    int rel, extent, pixels;
  };
  // 1 unit of 50 000 px is 0.5 px, 3 units 1.5 px.
  const Back toPixels[] = {
      {0, 800, 0},       {1, 50000, 0},      {3, 50000, 2},     {5, 50000, 2},
      {50000, 800, 400}, {100000, 800, 800}, {20000, 800, 160}, {100000, 16000000, 16000000}};
  for (const Back& c : toPixels) EXPECT_EQ(ToPixels(c.rel, c.extent), c.pixels) << c.rel;
  // Products that would overflow 32 bits still give the right pixels.
  EXPECT_EQ(ToPixels(kRelLimit, 100000), 1000000);
  EXPECT_EQ(RoundHalfEven(1e300), INT_MAX);
  EXPECT_EQ(RoundHalfEven(-1e300), INT_MIN);
  EXPECT_EQ(RoundHalfEven(std::nan("")), 0);
}

TEST(FrameGeometry, StoredValuesAreMadeSafe) {
  EXPECT_EQ(Sanitised(-1, 0, 20000, 30000, 1), (RelGeometry{-1, 0, 20000, 30000, wsNorm}));
  EXPECT_EQ(Sanitised(5000, 6000, 40000, 50000, 0),
            (RelGeometry{5000, 6000, 40000, 50000, wsCompact}));
  EXPECT_EQ(Sanitised(-2, -5, INT_MIN, INT_MAX, 2), (RelGeometry{0, 0, 0, kRelLimit, wsMax}));
  EXPECT_EQ(Sanitised(INT_MAX, 0, 0, 0, 3).x, kRelLimit);
  EXPECT_EQ(Sanitised(0, 0, 0, 0, 3).state, wsNorm);
  EXPECT_EQ(Sanitised(0, 0, 0, 0, -1).state, wsNorm);
}

TEST(FrameGeometry, CascadeStepsOnePercent) {
  EXPECT_EQ(CascadeRel(0), 0);
  EXPECT_EQ(CascadeRel(1), 1000);
  EXPECT_EQ(CascadeRel(37), 37000);
  EXPECT_EQ(CascadeRel(INT_MAX), kRelLimit);  // never overflows
}

TEST(FrameGeometry, Reposition) {
  const QSize panel(800, 600);
  const QRect current(5, 6, 352, 264);
  struct Case {
    const char* what;
    RelGeometry g;
    QRect expected;
  };
  const Case cases[] = {
      {"default size at the corner", {0, 0, 20000, 30000, wsNorm}, QRect(0, 0, 160, 180)},
      {"half way", {50000, 50000, 50000, 50000, wsNorm}, QRect(400, 300, 400, 300)},
      {"narrow and low are widened", {1000, 1000, 1000, 1000, wsNorm}, QRect(8, 6, 134, 60)},
      {"exactly the minimum", {0, 0, 16750, 10000, wsNorm}, QRect(0, 0, 134, 60)},
      {"zero size", {0, 0, 0, 0, wsNorm}, QRect(0, 0, 134, 60)},
      {"compact keeps its height",
       {10000, 20000, 90000, 90000, wsCompact},
       QRect(80, 120, 134, 264)},
      {"state 2 is left alone", {50000, 50000, 50000, 50000, wsMax}, current},
  };
  for (const Case& c : cases) EXPECT_EQ(RepositionRect(c.g, panel, current), c.expected) << c.what;
}

TEST(FrameGeometry, ShowPanels) {
  struct Case {
    const char* what;
    TWinState state;
    QSize window;
    bool live, history, sizing;
    PanelLayout expected;
  };
  auto norm = [](int leds, bool status, bool black, bool leq, bool period, bool live, bool hist) {
    PanelLayout p;
    p.ledsHeight = leds;
    p.statusVisible = status;
    p.statusBlack = black;
    p.leqVisible = leq;
    p.periodVisible = period;
    p.ledsVisible = live;
    p.historyVisible = hist;
    p.clearPlot = !hist;
    return p;
  };
  auto compact = [](int height, bool live, bool hist) {
    PanelLayout p;
    p.windowHeight = height;
    p.ledsHeight = 15;
    p.statusVisible = false;
    p.ledsVisible = live;
    p.historyVisible = hist;
    p.clearPlot = !hist;
    return p;
  };
  PanelLayout other;
  other.ledsVisible = true;
  other.historyVisible = false;
  other.clearPlot = true;
  const Case cases[] = {
      {"compact with live levels",
       wsCompact,
       {134, 300},
       true,
       true,
       false,
       compact(37, true, true)},
      {"compact without", wsCompact, {134, 300}, false, true, false, compact(22, false, true)},
      {"tall and wide",
       wsNorm,
       {352, 264},
       true,
       true,
       false,
       norm(40, true, false, true, true, true, true)},
      {"179 high hides the read-out",
       wsNorm,
       {352, 179},
       true,
       true,
       false,
       norm(26, true, false, false, true, true, true)},
      {"180 high shows it",
       wsNorm,
       {352, 180},
       true,
       true,
       false,
       norm(26, true, false, true, true, true, true)},
      {"200 wide hides the period",
       wsNorm,
       {200, 264},
       true,
       true,
       false,
       norm(40, true, false, true, false, true, true)},
      {"201 wide shows it",
       wsNorm,
       {201, 264},
       true,
       true,
       false,
       norm(40, true, false, true, true, true, true)},
      {"live only: leds fill, status black",
       wsNorm,
       {352, 264},
       true,
       false,
       false,
       norm(241, true, true, true, false, true, false)},
      {"history only",
       wsNorm,
       {352, 264},
       false,
       true,
       false,
       norm(40, true, false, true, true, false, true)},
      {"status hidden while sizing",
       wsNorm,
       {352, 264},
       true,
       true,
       true,
       norm(40, false, false, true, true, true, true)},
      {"state 2 changes only visibility", wsMax, {352, 264}, true, false, false, other},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ShowPanelsLayout(c.state, c.window, c.live, c.history, c.sizing), c.expected)
        << c.what;
}

TEST(FrameGeometry, DragStaysInsideThePanel) {
  const QSize panel(800, 600);
  const QSize window(200, 100);
  const QPoint org(100, 100);
  const QPoint ptOrg(1000, 1000);
  EXPECT_EQ(DragPos({1050, 1020}, ptOrg, org, window, panel), QPoint(150, 120));
  EXPECT_EQ(DragPos({0, 0}, ptOrg, org, window, panel), QPoint(0, 0));
  EXPECT_EQ(DragPos({5000, 5000}, ptOrg, org, window, panel), QPoint(600, 500));
  // A window larger than the panel is pinned at the top left.
  EXPECT_EQ(DragPos({1200, 1200}, ptOrg, org, {900, 700}, panel), QPoint(0, 0));
  EXPECT_EQ(DragPos({INT_MAX, INT_MIN}, {INT_MIN, INT_MAX}, org, window, panel), QPoint(600, 0));
}

TEST(FrameGeometry, SizingLimits) {
  const QSize panel(800, 600);
  const QPoint ptOrg(1000, 1000);
  const QSize org(300, 200);
  struct Case {
    const char* what;
    QPoint pointer, topLeft;
    QSize expected;
  };
  const Case cases[] = {
      {"plain", {1050, 1010}, {0, 0}, {350, 210}},
      {"never narrower or lower than the minimum", {700, 700}, {0, 0}, {134, 60}},
      {"minimum exactly", {834, 860}, {0, 0}, {134, 60}},
      {"cut at the right and bottom edges", {2000, 2000}, {100, 100}, {700, 500}},
      {"may end narrower near the right edge", {1000, 1000}, {750, 580}, {50, 20}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(SizingSize(c.pointer, ptOrg, org, c.topLeft, panel), c.expected) << c.what;
}
