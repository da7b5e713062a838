#pragma once

#include "core/LedRange.h"

#include <QString>

class TDTClient;

// What the core asks of a monitor's window. The display layer implements it; tests use fakes.
class IMonitorWindow {
 public:
  virtual ~IMonitorWindow() = default;
  virtual void SetTitle(const QString& title) = 0;
  virtual void SignalStrength(int nSignal) = 0;
  virtual void Status(const QString& text) = 0;
  virtual void LedLevel(double flLevel, const TLedRange& leds) = 0;
  virtual void Leq1s(double flLeq, const TLedRange& leds) = 0;
  virtual void UpdateLeqBuf(const QString& sCs) = 0;
  virtual void SetAlarmCount(int nCount) = 0;
  virtual void NewAlarm() = 0;
  virtual void ShowPanels() = 0;
  virtual void Reposition() = 0;
  virtual void SetDownloading(bool bDownloading) = 0;
};
