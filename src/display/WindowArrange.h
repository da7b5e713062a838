#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <vector>

// The Window menu's arrangements of monitor windows, as plain geometry.
namespace qmarrange {

struct Grid {
  int cols = 0;
  int rows = 0;
  bool operator==(const Grid&) const = default;
};

// Columns and rows for tiling n windows: the column count doubles while the rows, halved, would
// still outnumber twice the columns.
Grid TileGrid(int n);
// The cells of n tiled windows in fill order (row by row, left to right) over a panel.
std::vector<QRect> TileCells(int n, QSize panel);
// Top-left corners for compact windows of the given sizes, in the given order: columns fill
// downwards from the top left, a new column starting when the next window would pass the bottom.
std::vector<QPoint> AlignCompact(const std::vector<QSize>& sizes, int panelHeight);

}  // namespace qmarrange
