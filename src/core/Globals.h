#pragma once

class TCfg;
class TRunstat;

// The process-wide objects every part reaches; null until created.
namespace qmglobals {

TCfg* Cfg();
TRunstat* Runstat();
void SetCfg(TCfg* cfg);
void SetRunstat(TRunstat* runstat);

}  // namespace qmglobals
