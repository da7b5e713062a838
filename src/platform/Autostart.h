#pragma once

#include <QString>

namespace qmplatform {

// The per-user "start when I log on" entry.
class IAutostart {
 public:
  virtual ~IAutostart() = default;
  virtual void Set(const QString& name, const QString& command) = 0;
  virtual void Remove(const QString& name) = 0;
};

// XDG autostart: <XDG_CONFIG_HOME>/autostart/quietmark-sv.desktop.
class XdgAutostart : public IAutostart {
 public:
  void Set(const QString& name, const QString& command) override;
  void Remove(const QString& name) override;
  static QString EntryPath();
};

}  // namespace qmplatform
