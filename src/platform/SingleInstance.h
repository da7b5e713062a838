#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

namespace qmplatform {

// The process-wide single-instance guard: a lock file named after the guard, in the runtime
// folder. Held until the object is destroyed; a stale lock of a crashed process is taken over.
class SingleInstance {
 public:
  explicit SingleInstance(const QString& name);
  bool Acquired() const { return acquired_; }

 private:
  std::unique_ptr<QLockFile> lock_;
  bool acquired_ = false;
};

}  // namespace qmplatform
