#include "core/IniFile.h"

#include "core/SaveLines.h"
#include "core/Text.h"

#include <QFile>

namespace {

// "[name]" (surrounding blanks allowed) gives the name; anything else nothing.
std::optional<QString> SectionOf(const QString& line) {
  const QString t = line.trimmed();
  if (t.size() < 2 || !t.startsWith(QLatin1Char('[')) || !t.endsWith(QLatin1Char(']')))
    return std::nullopt;
  return t.mid(1, t.size() - 2).trimmed();
}

// The key of a "key=value" line; nothing for lines without "=" or comments.
std::optional<QString> KeyOf(const QString& line) {
  const qsizetype eq = line.indexOf(QLatin1Char('='));
  if (eq < 0 || line.trimmed().startsWith(QLatin1Char(';'))) return std::nullopt;
  return line.left(eq).trimmed();
}

bool Same(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

}  // namespace

QStringList IniFile::ReadLines(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return qmtext::SplitLines(file.readAll());
}

std::optional<QString> IniFile::Read(const QString& section, const QString& key) const {
  bool inSection = false;
  for (const QString& line : ReadLines(path_)) {
    if (const auto name = SectionOf(line)) {
      inSection = Same(*name, section);
      continue;
    }
    if (!inSection) continue;
    if (const auto k = KeyOf(line); k && Same(*k, key)) {
      QString value = line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed();
      // The profile functions drop one pair of surrounding quotes.
      if (value.size() >= 2 && ((value.startsWith('"') && value.endsWith('"')) ||
                                (value.startsWith('\'') && value.endsWith('\''))))
        value = value.mid(1, value.size() - 2);
      return value;
    }
  }
  return std::nullopt;
}

QString IniFile::ReadString(const QString& section, const QString& key, const QString& def) const {
  return Read(section, key).value_or(def);
}

int IniFile::ReadInteger(const QString& section, const QString& key, int def) const {
  const auto value = Read(section, key);
  if (!value) return def;
  return qmtext::ToInt(*value).value_or(def);
}

bool IniFile::ReadBool(const QString& section, const QString& key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

namespace {

// Puts "key=value" in place of the key's line, else at the end of its section, else in a new
// section at the end.
void SetEntry(QStringList& lines, const QString& section, const QString& key,
              const QString& value) {
  const QString entry = key + QLatin1Char('=') + value;
  qsizetype sectionStart = -1;   // index of the header line
  qsizetype lastInSection = -1;  // last non-blank line of the section
  bool inSection = false;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    if (const auto name = SectionOf(lines[i])) {
      if (inSection) break;
      inSection = Same(*name, section);
      if (inSection) sectionStart = lastInSection = i;
      continue;
    }
    if (!inSection) continue;
    if (!lines[i].trimmed().isEmpty()) lastInSection = i;
    if (const auto k = KeyOf(lines[i]); k && Same(*k, key)) {
      lines[i] = entry;
      return;
    }
  }
  if (sectionStart >= 0) {
    lines.insert(lastInSection + 1, entry);
    return;
  }
  while (!lines.isEmpty() && lines.last().trimmed().isEmpty()) lines.removeLast();
  lines << QLatin1Char('[') + section + QLatin1Char(']') << entry;
}

}  // namespace

bool IniFile::WriteString(const QString& section, const QString& key, const QString& value) {
  return WriteStrings(section, {{key, value}});
}

bool IniFile::WriteStrings(const QString& section,
                           const QList<std::pair<QString, QString>>& entries) {
  const QStringList before = ReadLines(path_);
  QStringList lines = before;
  for (const auto& [key, value] : entries) SetEntry(lines, section, key, value);
  // A file that already holds every value is not written again (each write is synced to disk).
  if (lines == before && QFile::exists(path_)) {
    // A file of an older run may still be readable by others.
    if (ownerOnly_) QFile::setPermissions(path_, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return true;
  }
  return qmtext::SaveLines(path_, lines, nullptr, ownerOnly_);
}

bool IniFile::WriteInteger(const QString& section, const QString& key, int value) {
  return WriteString(section, key, QString::number(value));
}

bool IniFile::WriteBool(const QString& section, const QString& key, bool value) {
  return WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}
