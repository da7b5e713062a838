#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

// Window state of a monitor window, stored by ordinal in term.cfg.
enum TWinState { wsCompact = 0, wsNorm = 1, wsMax = 2 };

// The geometry rules of a monitor window, free of widgets so they can be checked as tables.
// Relative units are 1/100000 of the main area's width (left, width) or height (top, height).
namespace qmgeom {

constexpr int kRelFull = 100000;
// Stored values beyond ten main areas are not believed; this also keeps every product in range.
constexpr int kRelLimit = 10 * kRelFull;
constexpr int kMinWidth = 134;
constexpr int kMinHeight = 60;
constexpr int kCompactWidth = 134;
constexpr int kTitleHeight = 20;
constexpr int kLedsHeight = 15;
constexpr int kTallHeight = 180;
constexpr int kPeriodMinWidth = 200;
constexpr int kDesignWidth = 352;
constexpr int kDesignHeight = 264;

// Nearest integer, halves to the even neighbour, limited to the int range (NaN gives 0).
int RoundHalfEven(double value);

// Pixels to relative units of an extent; `keep` when the extent is empty.
int ToRel(int pixels, int extent, int keep);
// Relative units to pixels of an extent.
int ToPixels(int rel, int extent);

// The [win] keys of term.cfg as read.
struct RelGeometry {
  int x = -1;  // -1: no position stored
  int y = 0;
  int cx = 20000;
  int cy = 30000;
  TWinState state = wsNorm;

  bool operator==(const RelGeometry&) const = default;
};

// Values read from a file, made safe: positions and sizes within 0 .. kRelLimit (x keeps its -1),
// an unknown state ordinal becomes wsNorm.
RelGeometry Sanitised(int x, int y, int cx, int cy, int state);

// Left and top, in relative units, of the n-th window (from 0) that opens without a stored place.
int CascadeRel(int counter);

// Place and size after a re-layout from relative geometry. A compact window keeps its current
// height here (the panel layout sets it); a window in any other unknown state keeps `current`.
QRect RepositionRect(const RelGeometry& g, QSize panel, const QRect& current);

// What the inner panels look like; an empty optional leaves that property as it is.
struct PanelLayout {
  std::optional<int> windowHeight;
  std::optional<int> ledsHeight;
  std::optional<bool> statusVisible;
  std::optional<bool> statusBlack;
  std::optional<bool> leqVisible;  // the numeric read-out and the chart's left axis
  std::optional<bool> periodVisible;
  bool ledsVisible = false;
  bool historyVisible = false;
  bool clearPlot = false;

  bool operator==(const PanelLayout&) const = default;
};

PanelLayout ShowPanelsLayout(TWinState state, QSize window, bool rtLive, bool history, bool sizing);

// Top-left corner while dragging by the title bar: stays inside the panel.
QPoint DragPos(QPoint pointer, QPoint ptOrg, QPoint orgTopLeft, QSize window, QSize panel);
// Size while dragging the corner grip: at least the minimum, then cut at the panel's edges.
QSize SizingSize(QPoint pointer, QPoint ptOrg, QSize orgSize, QPoint topLeft, QSize panel);

}  // namespace qmgeom
