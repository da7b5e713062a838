#include "core/IpAddress.h"

#include <QStringList>

#include <charconv>

std::optional<std::array<std::uint8_t, 4>> ParseIPAdx(const QString& text) {
  const QStringList parts = text.split(QLatin1Char('.'));
  if (parts.size() != 4) return std::nullopt;
  std::array<std::uint8_t, 4> bytes{};
  for (int i = 0; i < 4; ++i) {
    const QByteArray part = parts[i].toLatin1();
    // Digits only: no sign, no blanks, no hexadecimal.
    if (part.isEmpty()) return std::nullopt;
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(part.data(), part.data() + part.size(), value);
    if (ec != std::errc() || end != part.data() + part.size() || value > 255) return std::nullopt;
    bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value);
  }
  return bytes;
}

bool ValidIPAdx(const QString& text) { return ParseIPAdx(text).has_value(); }
