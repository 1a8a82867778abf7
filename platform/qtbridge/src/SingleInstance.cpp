#include "qtbridge/SingleInstance.hpp"

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>

#include <sys/socket.h>
#include <unistd.h>

#include <memory>

namespace platform::qtbridge {
namespace {

// The user on the other end of a connected local socket, if it can be told.
std::optional<uid_t> peerUser(qintptr socket) {
  ucred credentials{};
  socklen_t size = sizeof credentials;
  if (getsockopt(static_cast<int>(socket), SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0) return std::nullopt;
  return credentials.uid;
}

bool isOwnUser(qintptr socket) { return peerUser(socket) == getuid(); }

}  // namespace

std::string SingleInstance::claimName(const std::string& program, const std::filesystem::path& key) {
  std::error_code ec;
  auto folder = std::filesystem::weakly_canonical(std::filesystem::absolute(key), ec);
  if (ec) folder = std::filesystem::absolute(key).lexically_normal();
  const QByteArray digest =
      QCryptographicHash::hash(QByteArray::fromStdString(folder.string()), QCryptographicHash::Sha256).toHex().left(32);
  return "quorbel." + program + "." + std::to_string(getuid()) + "." + digest.toStdString();
}

SingleInstance::SingleInstance(const std::string& program, const std::filesystem::path& key, QObject* parent)
    : QObject(parent), name_(claimName(program, key)), server_(new QLocalServer(this)) {
  server_->setSocketOptions(QLocalServer::AbstractNamespaceOption);
  // Binding the name is the claim: it succeeds for one process only.
  if (server_->listen(QString::fromStdString(name_))) {
    claim_ = Claim::first;
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::answer);
  } else if (server_->serverError() == QAbstractSocket::AddressInUseError) {
    claim_ = Claim::taken;
  } else {
    claimFailure_ = server_->errorString().toStdString();
  }
}

// A connection is the whole request; the reply, one line break, says the
// instance has come forward. Another user's process gets no answer.
void SingleInstance::answer() {
  while (QLocalSocket* connection = server_->nextPendingConnection()) {
    connect(connection, &QLocalSocket::disconnected, connection, &QObject::deleteLater);
    if (isOwnUser(connection->socketDescriptor())) {
      emit anotherStartHandedOver();
      connection->write("\n");
      connection->flush();
    }
    connection->disconnectFromServer();
  }
}

std::expected<void, std::string> SingleInstance::handOver(std::chrono::milliseconds timeout) const {
  QLocalSocket socket;
  socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
  socket.connectToServer(QString::fromStdString(name_));
  const int waitMs = static_cast<int>(timeout.count());
  if (!socket.waitForConnected(waitMs)) return std::unexpected("it cannot be reached: " + socket.errorString().toStdString());
  if (!isOwnUser(socket.socketDescriptor())) return std::unexpected(std::string("its claim is held by another user's program"));
  while (socket.bytesAvailable() == 0)
    if (!socket.waitForReadyRead(waitMs)) return std::unexpected(std::string("it did not answer"));
  return {};
}

}  // namespace platform::qtbridge
