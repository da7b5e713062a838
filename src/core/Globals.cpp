#include "core/Globals.h"

namespace qmglobals {
namespace {
TCfg* g_cfg = nullptr;
TRunstat* g_runstat = nullptr;
}  // namespace

TCfg* Cfg() { return g_cfg; }
TRunstat* Runstat() { return g_runstat; }
void SetCfg(TCfg* cfg) { g_cfg = cfg; }
void SetRunstat(TRunstat* runstat) { g_runstat = runstat; }

}  // namespace qmglobals
