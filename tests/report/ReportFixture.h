#pragma once

#include <QByteArray>
#include <QCryptographicHash>
#include <QDate>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QString>
#include <QTemporaryDir>

#include <functional>

namespace qmtest {

// A data folder with monitor folders and files as the supervisor stores them.
class DataFolder {
 public:
  QString Path() const { return dir_.path() + "/data/"; }

  void TermCfg(const QString& id, const QString& name, const QString& type,
               const QString& extra = {}) {
    Write(id + "/term.cfg",
          "[head]\r\nid=" + id + "\r\nname=" + name + "\r\ntype=" + type + "\r\n" + extra);
  }

  // A prf file of 86400 rows; `value(second)` gives the row's text after the comma ("-" for an
  // empty slot).
  void Prf(const QString& id, const QDate& day, const std::function<QString(int)>& value) {
    QByteArray text = ".time&laeq\r\n";
    text.reserve(86401 * 14);
    for (int s = 0; s < 86400; ++s)
      text += QStringLiteral("%1:%2:%3,%4\r\n")
                  .arg(s / 3600, 2, 10, QLatin1Char('0'))
                  .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
                  .arg(s % 60, 2, 10, QLatin1Char('0'))
                  .arg(value(s))
                  .toLatin1();
    Write(id + "/" + day.toString("yyyy-MM") + "/prf-" + day.toString("dd") + ".csv", text);
  }

  void Write(const QString& rel, const QByteArray& bytes) {
    const QString path = Path() + rel;
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
  }
  void Write(const QString& rel, const QString& text) { Write(rel, text.toLatin1()); }

  // Every entry below the folder with its size, time and content hash.
  QMap<QString, QString> Snapshot() const {
    QMap<QString, QString> s;
    QDirIterator it(Path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
      const QString p = it.next();
      const QFileInfo fi(p);
      QString sig =
          QString::number(fi.size()) + "/" + QString::number(fi.lastModified().toMSecsSinceEpoch());
      if (fi.isFile()) {
        QFile f(p);
        f.open(QIODevice::ReadOnly);
        sig += "/" + QCryptographicHash::hash(f.readAll(), QCryptographicHash::Md5).toHex();
      }
      s[p] = sig;
    }
    return s;
  }

 private:
  QTemporaryDir dir_;
};

inline QString Tenth(double v) { return QString::number(v, 'f', 1); }

}  // namespace qmtest
