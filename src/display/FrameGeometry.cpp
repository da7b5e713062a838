#include "display/FrameGeometry.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace qmgeom {

int RoundHalfEven(double value) {
  if (std::isnan(value)) return 0;
  // nearbyint follows the default rounding mode, which rounds halves to even.
  const double r = std::nearbyint(value);
  if (r >= double(INT_MAX)) return INT_MAX;
  if (r <= double(INT_MIN)) return INT_MIN;
  return int(r);
}

int ToRel(int pixels, int extent, int keep) {
  if (extent <= 0) return keep;
  return RoundHalfEven(double(pixels) * kRelFull / extent);
}

int ToPixels(int rel, int extent) { return RoundHalfEven(double(extent) * rel / kRelFull); }

RelGeometry Sanitised(int x, int y, int cx, int cy, int state) {
  auto clamp = [](int v) { return std::clamp(v, 0, kRelLimit); };
  RelGeometry g;
  g.x = x == -1 ? -1 : clamp(x);
  g.y = clamp(y);
  g.cx = clamp(cx);
  g.cy = clamp(cy);
  g.state = (state >= wsCompact && state <= wsMax) ? TWinState(state) : wsNorm;
  return g;
}

int CascadeRel(int counter) { return std::clamp(counter, 0, kRelLimit / 1000) * 1000; }

QRect RepositionRect(const RelGeometry& g, QSize panel, const QRect& current) {
  const int left = ToPixels(g.x, panel.width());
  const int top = ToPixels(g.y, panel.height());
  switch (g.state) {
    case wsCompact:
      return QRect(left, top, kCompactWidth, current.height());
    case wsNorm: {
      const int w = ToPixels(g.cx, panel.width());
      const int h = ToPixels(g.cy, panel.height());
      return QRect(left, top, w <= kMinWidth ? kMinWidth : w, h <= kMinHeight ? kMinHeight : h);
    }
    default:
      return current;
  }
}

PanelLayout ShowPanelsLayout(TWinState state, QSize window, bool rtLive, bool history,
                             bool sizing) {
  PanelLayout p;
  if (state == wsCompact) {
    p.windowHeight = kTitleHeight + 2 + (rtLive ? kLedsHeight : 0);
    p.ledsHeight = kLedsHeight;
    p.statusVisible = false;
  } else if (state == wsNorm) {
    const int h = window.height();
    const bool tall = h >= kTallHeight;
    p.leqVisible = tall;
    p.ledsHeight = history ? (h - kTitleHeight) / 6 : h - kTitleHeight - 3;
    p.statusVisible = !sizing;
    p.statusBlack = rtLive && !history;
    p.periodVisible = history && window.width() > kPeriodMinWidth;
  }
  p.ledsVisible = rtLive;
  p.historyVisible = history;
  p.clearPlot = !history;
  return p;
}

QPoint DragPos(QPoint pointer, QPoint ptOrg, QPoint orgTopLeft, QSize window, QSize panel) {
  auto limit = [](qint64 v, qint64 hi) { return int(std::max<qint64>(std::min(v, hi), 0)); };
  const qint64 left = qint64(pointer.x()) - ptOrg.x() + orgTopLeft.x();
  const qint64 top = qint64(pointer.y()) - ptOrg.y() + orgTopLeft.y();
  return QPoint(limit(left, qint64(panel.width()) - window.width()),
                limit(top, qint64(panel.height()) - window.height()));
}

QSize SizingSize(QPoint pointer, QPoint ptOrg, QSize orgSize, QPoint topLeft, QSize panel) {
  qint64 w = qint64(pointer.x()) - ptOrg.x() + orgSize.width();
  qint64 h = qint64(pointer.y()) - ptOrg.y() + orgSize.height();
  if (w <= kMinWidth) w = kMinWidth;
  if (h <= kMinHeight) h = kMinHeight;
  if (topLeft.x() + w > panel.width()) w = qint64(panel.width()) - topLeft.x();
  if (topLeft.y() + h > panel.height()) h = qint64(panel.height()) - topLeft.y();
  auto toInt = [](qint64 v) { return int(std::clamp<qint64>(v, INT_MIN, INT_MAX)); };
  return QSize(toInt(w), toInt(h));
}

}  // namespace qmgeom
