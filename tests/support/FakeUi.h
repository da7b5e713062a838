#pragma once

#include "core/IMonitorWindow.h"
#include "core/ISupervisorUi.h"
#include "core/TDTClient.h"

#include <QStringList>

#include <memory>
#include <vector>

// Records what the core shows, for assertions.
class FakeWindow : public IMonitorWindow {
 public:
  void SetTitle(const QString& t) override { calls << "title " + t; }
  void SignalStrength(int n) override { calls << "signal " + QString::number(n); }
  void Status(const QString& t) override { calls << "status " + t; }
  void LedLevel(double l, const TLedRange& r) override {
    calls << QString("led %1 %2 %3 %4 %5")
                 .arg(l)
                 .arg(r.nLEDMin)
                 .arg(r.nLEDMax)
                 .arg(r.nTrig1)
                 .arg(r.nTrig2);
  }
  void Leq1s(double l, const TLedRange& r) override {
    calls << QString("leq %1 %2 %3 %4 %5")
                 .arg(l)
                 .arg(r.nLEDMin)
                 .arg(r.nLEDMax)
                 .arg(r.nTrig1)
                 .arg(r.nTrig2);
  }
  void UpdateLeqBuf(const QString& s) override { calls << "leqbuf " + s; }
  void SetAlarmCount(int n) override { calls << "alarms " + QString::number(n); }
  void NewAlarm() override { calls << "newalarm"; }
  void ShowPanels() override { calls << "panels"; }
  void Reposition() override { calls << "reposition"; }
  void SetDownloading(bool b) override { calls << (b ? "downloading" : "idle"); }
  QStringList calls;
};

class FakeUi : public ISupervisorUi {
 public:
  IMonitorWindow* CreateMonitorWindow(TDTClient* client) override {
    windows.push_back(std::make_unique<FakeWindow>());
    created << client->sID;
    return windows.back().get();
  }
  void FreeMonitorWindow(IMonitorWindow* frame) override {
    for (auto it = windows.begin(); it != windows.end(); ++it)
      if (it->get() == frame) {
        windows.erase(it);
        ++freed;
        return;
      }
  }
  void UpdateClientTable(bool) override {}
  void ClientSelected(const TCtx&) override { ++selected; }
  void ShowOnlineStatus(bool, const QString&) override {}
  void ShowBalloon(const QString& title, const QString& text) override {
    balloons << title + "|" + text;
  }
  void ShowError(const QString& text) override { errors << text; }
  void ShowStorageState(const QString& text) override { storage << text; }

  std::vector<std::unique_ptr<FakeWindow>> windows;
  QStringList created, balloons, errors, storage;
  int freed = 0;
  int selected = 0;
};
