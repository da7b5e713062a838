#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

// A dotted IPv4 address: exactly four parts, each a decimal number 0..255. Leading zeros are
// accepted ("010" reads as 10); whether the address is a usable host is not checked.
std::optional<std::array<std::uint8_t, 4>> ParseIPAdx(const QString& text);
bool ValidIPAdx(const QString& text);
