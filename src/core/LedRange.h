#pragma once

// A monitor's level range of the LED bar and chart axis, and its two trigger levels (0: none),
// as its live lines last gave them.
struct TLedRange {
  int nLEDMin = 20;
  int nLEDMax = 120;
  int nTrig1 = 0;
  int nTrig2 = 0;
};
