#pragma once

namespace qmsim {

// Checks the date arithmetic, the record generators and the settings against the reply formats;
// prints every failure and returns true when there was none.
bool SelfCheck();

}  // namespace qmsim
