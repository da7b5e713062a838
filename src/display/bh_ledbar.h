#pragma once

#include <QRect>
#include <QRgb>
#include <QWidget>

#include <array>

// A row of 32 LEDs showing a sound level between nMin (left end) and nMax (right end) in dB.
// The triggers split the row into green, yellow and red zones; nTrig1 0 shows no zones (grey).
// The owner writes the four fields before each SetLevel; the bar keeps nothing else but the
// last level while it is out of sight.
class TLedBar : public QWidget {
 public:
  static constexpr int kLeds = 32;

  explicit TLedBar(QWidget* parent = nullptr);

  int nMin = 0;
  int nMax = 140;
  int nTrig1 = 0;
  int nTrig2 = 0;

  // With updates off (the window out of sight) the LEDs follow only at ShowPending: most of a
  // large fleet's windows lie outside the main area, and their bars are set ten times a second.
  void SetLevel(double flLeq);
  void ShowPending();

  // The LED a level falls on under the current range; below 0 or above 31 when off the bar.
  int LevelToLed(double level) const;
  bool HasLeds() const { return hasLeds_; }
  QRect LedRect(int i) const { return rects_[i]; }
  QRgb LedColour(int i) const { return colours_[i]; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  enum class Zone { green, yellow, red, grey };
  void LayoutLeds();
  // False when the LED already has that colour.
  bool SetLedColour(int i, bool lit, Zone zone);
  void ShowLevel(double flLeq);

  bool hasLeds_ = false;
  bool pending_ = false;  // pendingLevel_ not shown yet
  double pendingLevel_ = 0;
  QSize laidOutFor_;
  std::array<QRect, kLeds> rects_{};
  std::array<QRgb, kLeds> colours_{};
};
