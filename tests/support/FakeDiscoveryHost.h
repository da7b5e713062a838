#pragma once

#include <QByteArray>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

namespace qmtest {

// A host on a loopback address that accepts discovery probes and either answers each with
// fixed bytes (after reading the probe line) or holds the connection open and says nothing.
class FakeDiscoveryHost {
 public:
  enum class Mode { Reply, Silent, CloseAtOnce };
  FakeDiscoveryHost(const std::string& address, quint16 port, Mode mode, QByteArray reply = {});
  ~FakeDiscoveryHost();
  bool Listening() const;
  int Accepted() const { return accepted_; }
  // The bytes the last prober sent before the answer.
  QByteArray Received() const;

 private:
  struct State;
  std::shared_ptr<State> state_;
  std::atomic<int> accepted_{0};
  std::thread thread_;
};

}  // namespace qmtest
