#pragma once

#include <functional>

class QObject;

namespace qmplatform {

// Runs `handler` on the thread of `context` (its event loop) whenever SIGTERM or SIGINT arrives.
// The signal handler only writes a byte to a socket pair; the notifier goes with `context`.
void OnTerminationSignal(QObject* context, std::function<void()> handler);

}  // namespace qmplatform
