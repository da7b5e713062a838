// The live LED stream and the 1-second history stream.
#include "core/Text.h"
#include "supervisor/TSupervisor.h"

namespace {

// Applies the key=value fields of a "live" or "live1s" line; levelKey names the level field.
void ParseLevels(TDTClient& client, const QStringList& fields, QLatin1String levelKey,
                 double& level) {
  for (qsizetype i = 1; i < fields.size(); ++i) {
    // Views rather than a split: this runs for every field of ten lines a second per monitor.
    const QStringView field(fields[i]);
    const qsizetype eq = field.indexOf(QLatin1Char('='));
    if (eq < 0 || field.indexOf(QLatin1Char('='), eq + 1) >= 0) continue;
    const QStringView key = field.left(eq);
    const QStringView value = field.mid(eq + 1);
    if (key == levelKey) {
      if (const auto v = qmtext::ToDouble(value)) level = *v > 200 ? *v - 200 : *v;
      continue;
    }
    TLedRange& leds = client.leds;
    int* target = key == QLatin1String("ledmin")   ? &leds.nLEDMin
                  : key == QLatin1String("ledmax") ? &leds.nLEDMax
                  : key == QLatin1String("trig1")  ? &leds.nTrig1
                  : key == QLatin1String("trig2")  ? &leds.nTrig2
                                                   : nullptr;
    if (!target) continue;
    if (const auto v = qmtext::ToInt(value)) *target = *v;
  }
}

}  // namespace

bool TSupervisor::LiveRx(TDTClient& client, const QStringList& fields) {
  ParseLevels(client, fields, QLatin1String("laf"), client.flLedLev);
  return true;
}

bool TSupervisor::Live1sRx(TDTClient& client, const QStringList& fields) {
  ParseLevels(client, fields, QLatin1String("laeq"), client.flLeq1s);
  return true;
}

bool TSupervisor::LeqBufRx(TDTClient& client, const QStringList& fields) {
  client.UpdateLeqBuf(fields.value(1));
  return true;
}

void TSupervisor::ChangeClientRate(TDTClient& client) {
  Send(client.ctx, cfg_->RTLive() ? QStringLiteral("live&start&1") : QStringLiteral("live&stop&0"));
  client.ShowLeds();
}

void TSupervisor::ChangeHistoryRate(TDTClient& client) {
  if (cfg_->History()) {
    Send(client.ctx, QStringLiteral("getleqbuf"));
    Send(client.ctx, QStringLiteral("live1s&start"));
  } else {
    Send(client.ctx, QStringLiteral("live1s&stop"));
  }
  client.ShowLeds();
}

void TSupervisor::ChangeClientRates() {
  LogDebug(QStringLiteral("TFormMain.ChangeClientRates()"));
  if (!clients_) return;
  TClientListHold hold(*clients_);
  for (int i = 0; i < clients_->Count(); ++i)
    if (TDTClient* c = clients_->GetClient(i); c && c->Connected()) ChangeClientRate(*c);
}

void TSupervisor::ChangeHistoryRates() {
  LogDebug(QStringLiteral("TFormMain.ChangeHistoryRates()"));
  if (!clients_) return;
  TClientListHold hold(*clients_);
  for (int i = 0; i < clients_->Count(); ++i)
    if (TDTClient* c = clients_->GetClient(i); c && c->Connected()) ChangeHistoryRate(*c);
}

void TSupervisor::ShowLiveStateAndApply() {
  ui_->ShowLiveSwitch();
  ChangeClientRates();
}

void TSupervisor::ShowHistoryStateAndApply() {
  ui_->ShowHistorySwitch();
  ChangeHistoryRates();
}

void TSupervisor::PauseStreams(TRunstat::TWindowState state) {
  if (runstat_->bMinimised) return;
  runstat_->bMinimised = true;
  runstat_->bRTLiveOnMin = cfg_->RTLive();
  runstat_->bHistoryOnMin = cfg_->History();
  runstat_->winstateOnMin = state;
  cfg_->SetRTLive(false);
  cfg_->SetHistory(false);
  ShowLiveStateAndApply();
  ShowHistoryStateAndApply();
}

void TSupervisor::ResumeStreams() {
  if (!runstat_->bMinimised) return;
  runstat_->bMinimised = false;
  cfg_->SetRTLive(runstat_->bRTLiveOnMin);
  cfg_->SetHistory(runstat_->bHistoryOnMin);
  ShowLiveStateAndApply();
  ShowHistoryStateAndApply();
}
