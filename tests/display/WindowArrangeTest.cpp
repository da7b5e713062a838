#include "display/WindowArrange.h"

#include <gtest/gtest.h>

TEST(WindowArrange, TileGrids) {
  using qmarrange::Grid;
  const Grid expected[21] = {{0, 0}, {1, 1}, {1, 2}, {1, 3}, {1, 4}, {2, 3}, {2, 3},
                             {2, 4}, {2, 4}, {2, 5}, {2, 5}, {2, 6}, {2, 6}, {2, 7},
                             {2, 7}, {2, 8}, {2, 8}, {4, 5}, {4, 5}, {4, 5}, {4, 5}};
  for (int n = 0; n <= 20; ++n) EXPECT_EQ(qmarrange::TileGrid(n), expected[n]) << n;
}

TEST(WindowArrange, TileCellsFillRowByRow) {
  EXPECT_EQ(qmarrange::TileCells(1, {801, 601}), std::vector<QRect>{QRect(0, 0, 801, 601)});
  // Five windows: two columns of three rows, the sixth cell empty; sizes truncate.
  const std::vector<QRect> five = {QRect(0, 0, 400, 200), QRect(400, 0, 400, 200),
                                   QRect(0, 200, 400, 200), QRect(400, 200, 400, 200),
                                   QRect(0, 400, 400, 200)};
  EXPECT_EQ(qmarrange::TileCells(5, {801, 601}), five);
  EXPECT_TRUE(qmarrange::TileCells(0, {800, 600}).empty());
}

TEST(WindowArrange, AlignCompactFillsColumns) {
  const std::vector<QSize> sizes(5, QSize(134, 37));
  const std::vector<QPoint> expected = {{0, 0}, {0, 37}, {134, 0}, {134, 37}, {268, 0}};
  EXPECT_EQ(qmarrange::AlignCompact(sizes, 100), expected);
  // A window taller than the panel starts a new column, even the first.
  EXPECT_EQ(qmarrange::AlignCompact({QSize(134, 37)}, 30), std::vector<QPoint>{QPoint(134, 0)});
}
