#pragma once

#include <functional>

class QObject;

namespace qmplatform {

// From here on SIGTERM and SIGINT no longer kill the process: each one waits in a socket pair
// until OnTerminationSignal's handler takes it. Called first in main, so a signal during a slow
// start-up still ends the program in order.
void CatchTerminationSignals();

// Runs `handler` on the thread of `context` (its event loop) for every SIGTERM or SIGINT, also
// one that arrived before this call. Catches the signals first if that has not been done.
void OnTerminationSignal(QObject* context, std::function<void()> handler);

}  // namespace qmplatform
