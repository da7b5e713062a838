#include "display/WindowArrange.h"

namespace qmarrange {

namespace {
int HalfUp(int v) { return v / 2 + v % 2; }
}  // namespace

Grid TileGrid(int n) {
  if (n <= 0) return {};
  Grid g{1, n};
  while (HalfUp(g.rows) > 2 * g.cols) {
    g.cols *= 2;
    g.rows = HalfUp(g.rows);
  }
  return g;
}

std::vector<QRect> TileCells(int n, QSize panel) {
  std::vector<QRect> cells;
  const Grid g = TileGrid(n);
  if (g.cols == 0) return cells;
  const int cx = panel.width() / g.cols;
  const int cy = panel.height() / g.rows;
  cells.reserve(std::size_t(n));
  int c = 0;
  int r = 0;
  for (int i = 0; i < n; ++i) {
    cells.emplace_back(c * cx, r * cy, cx, cy);
    if (++c == g.cols) {
      c = 0;
      ++r;
    }
  }
  return cells;
}

std::vector<QPoint> AlignCompact(const std::vector<QSize>& sizes, int panelHeight) {
  std::vector<QPoint> places;
  places.reserve(sizes.size());
  int x = 0;
  int y = 0;
  for (const QSize& s : sizes) {
    if (y + s.height() > panelHeight) {
      y = 0;
      x += s.width();
    }
    places.emplace_back(x, y);
    y += s.height();
  }
  return places;
}

}  // namespace qmarrange
