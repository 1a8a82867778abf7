#pragma once

#include <QObject>

#include <chrono>
#include <expected>
#include <filesystem>
#include <string>

class QLocalServer;

namespace platform::qtbridge {

// One running instance of a program per key (Mervo's is its settings
// folder): the first start for a key claims it, and a later start asks that
// instance to come forward instead of running itself. The claim is a local
// socket in the abstract namespace, named after the program, the user and the
// key; the kernel drops it with its process, so an instance that was killed
// leaves nothing behind to stop the next start. Only the user's own
// processes are answered and handed over to. Main thread, after the
// QApplication.
class SingleInstance : public QObject {
  Q_OBJECT

 public:
  SingleInstance(const std::string& program, const std::filesystem::path& key, QObject* parent = nullptr);

  enum class Claim {
    first,    // this process holds the claim
    taken,    // another process of the user holds it
    failed,   // no claim could be made (claimFailure() says why)
  };
  Claim claim() const { return claim_; }
  const std::string& claimFailure() const { return claimFailure_; }

  // From a later start: asks the instance that holds the claim to come
  // forward and waits until it says it did; why not, otherwise.
  std::expected<void, std::string> handOver(std::chrono::milliseconds timeout = std::chrono::seconds(30)) const;

  // The name of the claim (for tests that hold it from another process).
  static std::string claimName(const std::string& program, const std::filesystem::path& key);

 signals:
  // In the first instance: a later start asked it to come forward.
  void anotherStartHandedOver();

 private:
  void answer();

  std::string name_;
  QLocalServer* server_;
  Claim claim_ = Claim::failed;
  std::string claimFailure_;
};

}  // namespace platform::qtbridge
