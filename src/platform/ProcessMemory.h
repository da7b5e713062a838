#pragma once

#include <cstdint>

namespace qmplatform {

// Resident set size of this process in bytes; 0 when it cannot be read.
std::uint64_t ResidentMemoryBytes();

}  // namespace qmplatform
