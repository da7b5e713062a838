#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// Text helpers shared by the protocol and the files: 8-bit text, C-locale numbers.
namespace qmtext {

// 7-bit ASCII with every other character replaced by "?".
QByteArray ToAscii(const QString& text);
QString FromAscii(const char* data, qsizetype size);
// 8-bit text for files (Latin-1; characters outside it become "?").
QByteArray To8Bit(const QString& text);
QString From8Bit(const QByteArray& bytes);

// Strict whole-string conversions ("12", "-3", "1.5"); nullopt when the text is not one.
std::optional<int> ToInt(QStringView text);
std::optional<double> ToDouble(QStringView text);

// Splits at every separator: no trimming, empty fields count.
QStringList SplitStrict(const QString& text, QChar separator);

// Joins lines with CR LF after every line.
QByteArray JoinCrLf(const QStringList& lines);
// Splits file text into lines at LF, dropping a CR before it and a final empty line.
QStringList SplitLines(const QByteArray& bytes);

}  // namespace qmtext
