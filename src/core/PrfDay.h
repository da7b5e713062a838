#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

// One day of one-second levels as a prf file holds them: a header row and 86400 slots. A slot
// keeps its level as 16-bit tenths of a dB (two bytes a second instead of a string a row); a row
// read from a file in another form keeps its text, so the file is written back byte for byte.
// Implicitly shared: a copy costs nothing until one of the two changes.
class TPrfDay {
 public:
  static constexpr int kSlots = 86400;
  static constexpr qint16 kEmpty = -32768;         // "-"
  static constexpr qint16 kNegativeZero = -32767;  // "-0.0"
  static constexpr qint16 kAsRead = -32766;        // the row's text is kept as read
  static constexpr qint16 kMaxTenths = 32000;

  // Levels the files take; anything else (not finite, out of range) is stored as an empty slot.
  static constexpr double kMinLevel = -50.0;
  static constexpr double kMaxLevel = 250.0;
  static bool LevelInRange(double level);
  // A level as the files print it, with one decimal; kEmpty when it is no level.
  static qint16 Encode(double leq);
  // Writes a slot's value text ("-", "65.4") to out (8 characters at most); returns its length.
  static int ValueText(qint16 code, char* out);
  // "hh:mm:ss" into out[0..7].
  static void TimeText(int secondsOfDay, char* out);

  // No day open: neither header nor slots.
  bool IsEmpty() const { return codes_.isEmpty(); }
  void Clear();
  // The template: header "." and every slot empty.
  void Init();

  const QString& Header() const { return header_; }
  void SetHeader(const QString& header) { header_ = header; }
  qint16 Code(int second) const { return codes_[second]; }
  void Put(int second, qint16 code);
  // Takes a row in the form the program writes for its slot ("hh:mm:ss,65.4"); false, leaving
  // the slot alone, for any other text.
  bool PutRow(int second, const char* row, qsizetype size);
  // Keeps a row's text as it stands.
  void PutRowAsRead(int second, const QString& row);
  // The row's text; for a kAsRead slot the text kept.
  QString Row(int second) const;

  // The file's bytes: every row ending in CR LF, 8-bit text.
  QByteArray Text() const;

 private:
  QString header_;
  QList<qint16> codes_;
  QHash<int, QString> asRead_;
};
