#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

// An INI file with the semantics of the Windows profile functions: section and key names match
// without regard to case, values are stored as typed without quoting, a written key replaces its
// line in place or is added at the end of its section, a new section is appended. Every call
// reads the file afresh and every write rewrites it whole (temporary file, then rename), with
// CR LF line ends; LF-only files are read too.
class IniFile {
 public:
  explicit IniFile(QString path) : path_(std::move(path)) {}

  const QString& Path() const { return path_; }
  // For files that hold a secret: created and rewritten readable by their owner only.
  void SetOwnerOnly(bool on) { ownerOnly_ = on; }

  // nullopt when the file, the section or the key is missing.
  std::optional<QString> Read(const QString& section, const QString& key) const;
  QString ReadString(const QString& section, const QString& key, const QString& def) const;
  // The default when the key is missing or its value is not a whole decimal integer.
  int ReadInteger(const QString& section, const QString& key, int def) const;
  bool ReadBool(const QString& section, const QString& key, bool def) const;

  bool WriteString(const QString& section, const QString& key, const QString& value);
  // Several keys of one section in one rewrite.
  bool WriteStrings(const QString& section, const QList<std::pair<QString, QString>>& entries);
  bool WriteInteger(const QString& section, const QString& key, int value);
  bool WriteBool(const QString& section, const QString& key, bool value);

  // The lines of a whole file; empty when it cannot be read.
  static QStringList ReadLines(const QString& path);

 private:
  QString path_;
  bool ownerOnly_ = false;
};
