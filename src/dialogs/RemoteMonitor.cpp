#include "dialogs/RemoteMonitor.h"

#include "supervisor/TSupervisor.h"

bool TSupervisorRemote::HasRecord(const TCtx& ctx) const {
  if (!ctx) return false;
  TClientListHold hold(sup_.Clients());
  return sup_.Clients().GetClientFromCtx(ctx) != nullptr;
}

bool TSupervisorRemote::Send(const TCtx& ctx, const QString& line) {
  return HasRecord(ctx) && sup_.Send(ctx, line);
}

void TSupervisorRemote::Disconnect(const TCtx& ctx) {
  // The whole drop at once, record and window with the connection: a record left without its
  // connection would keep the ID taken and refuse the monitor when it comes back under its new
  // name.
  if (HasRecord(ctx)) sup_.DeleteConnection(ctx);
}
