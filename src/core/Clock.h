#pragma once

#include <QDateTime>

#include <functional>

// Every reading of "now" goes through here, so tests can set the time.
namespace qmclock {

QDateTime Now();
// Replaces the PC's local time; an empty function restores it.
void SetSource(std::function<QDateTime()> source);

}  // namespace qmclock
