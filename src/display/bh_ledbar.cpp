#include "display/bh_ledbar.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

// Unlit and lit colour of each zone, in the order of TLedBar::Zone.
constexpr QRgb kUnlit[] = {qRgb(0, 128, 0), qRgb(128, 128, 0), qRgb(128, 0, 0),
                           qRgb(128, 128, 128)};
constexpr QRgb kLit[] = {qRgb(0, 255, 0), qRgb(255, 255, 0), qRgb(255, 0, 0), qRgb(192, 192, 192)};

}  // namespace

TLedBar::TLedBar(QWidget* parent) : QWidget(parent) { resize(132, 12); }

int TLedBar::LevelToLed(double level) const {
  const std::int64_t span = std::int64_t(nMax) - nMin;
  if (span <= 0) return 0;
  if (std::isnan(level)) return -1;
  // Rounds halves to even (the default rounding mode); levels from a monitor may be absurd, so
  // the sum is kept in 64 bits and the result held just outside the bar.
  const double rounded = std::nearbyint(std::clamp(level, -1e12, 1e12));
  const std::int64_t led = (std::int64_t(rounded) - nMin) * kLeds / span;
  return int(std::clamp<std::int64_t>(led, -1, kLeds));
}

void TLedBar::SetLevel(double flLeq) {
  if (!updatesEnabled()) {
    pending_ = true;
    pendingLevel_ = flLeq;
    return;
  }
  ShowLevel(flLeq);
}

void TLedBar::ShowPending() {
  if (pending_) ShowLevel(pendingLevel_);
}

void TLedBar::ShowLevel(double flLeq) {
  pending_ = false;
  // A resize of a hidden bar reaches resizeEvent only when it is shown.
  if (hasLeds_ && laidOutFor_ != size()) LayoutLeds();
  if (!hasLeds_) return;
  const int l = LevelToLed(flLeq);
  const bool zones = nTrig1 != 0 && nTrig2 != 0;
  const int t1 = zones ? LevelToLed(nTrig1) : 999;
  const int t2 = zones ? LevelToLed(nTrig2) : 999;
  bool changed = false;
  for (int i = 0; i < kLeds; ++i) {
    Zone zone = Zone::green;
    if (i >= t1 && i < t2) zone = Zone::yellow;
    if (i >= t2) zone = Zone::red;
    if (nTrig1 == 0) zone = Zone::grey;
    changed |= SetLedColour(i, i <= l, zone);
  }
  if (changed) update();
}

void TLedBar::resizeEvent(QResizeEvent*) { LayoutLeds(); }

void TLedBar::LayoutLeds() {
  const int pitch = width() / kLeds;
  const int margin = (width() - kLeds * pitch) / 2;
  for (int i = 0; i < kLeds; ++i) {
    rects_[i] = QRect(margin + i * pitch, 0, pitch - 1, height());
    colours_[i] = kUnlit[int(Zone::grey)];
  }
  hasLeds_ = true;
  laidOutFor_ = size();
  update();
}

bool TLedBar::SetLedColour(int i, bool lit, Zone zone) {
  const QRgb c = lit ? kLit[int(zone)] : kUnlit[int(zone)];
  if (colours_[i] == c) return false;
  colours_[i] = c;
  return true;
}

// Only the LEDs are painted, so the owner's background shows through the gaps between them.
void TLedBar::paintEvent(QPaintEvent*) {
  if (!hasLeds_) return;
  QPainter p(this);
  for (int i = 0; i < kLeds; ++i)
    if (rects_[i].width() > 0) p.fillRect(rects_[i], QColor(colours_[i]));
}
