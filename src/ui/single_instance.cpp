#include "ui/single_instance.h"

#include <QLocalSocket>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace zapvane {

namespace {

constexpr int kConnectTimeoutMs = 500;
const QByteArray kRaise = QByteArrayLiteral("raise\n");

// Whether the other end of a local socket runs as this user: another user
// must neither close our window nor pass for it.
bool peerIsThisUser(qintptr descriptor) {
  ucred peer{};
  socklen_t size = sizeof peer;
  if (::getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0) return false;
  return peer.uid == ::getuid();
}

// A directory of this user's that nobody else can enter, not a link.
bool isPrivateFolder(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::getuid() &&
         (info.st_mode & 077) == 0;
}

std::string privateFolder() {
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && isPrivateFolder(runtime)) {
    return runtime;
  }
  const std::string own = "/tmp/zapvane-" + std::to_string(::getuid());
  if (::mkdir(own.c_str(), 0700) != 0 && errno != EEXIST) return {};
  return isPrivateFolder(own) ? own : std::string();
}

// FNV-1a: a short, stable name for a folder path of any length.
std::string folderKey(const std::string& path) {
  uint64_t hash = 14695981039346656037ull;
  for (const char c : path) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
  return hex;
}

}  // namespace

SingleInstance::SingleInstance(QString socketPath) : path_(std::move(socketPath)) {}

QString SingleInstance::socketPathFor(const std::string& dataDir) {
  const std::string folder = privateFolder();
  if (folder.empty()) return {};
  // One folder, one name, however it is written ("zv", "./zv/", a link).
  std::error_code ec;
  const std::filesystem::path canonical = std::filesystem::weakly_canonical(dataDir, ec);
  std::string folderPath = ec ? dataDir : canonical.string();
  while (folderPath.size() > 1 && folderPath.back() == '/') folderPath.pop_back();
  const std::string key = folderKey(folderPath);
  return QString::fromStdString(folder + "/zapvane-" + key + ".sock");
}

bool SingleInstance::askRunningInstanceToRaise() {
  if (path_.isEmpty()) return false;
  QLocalSocket socket;
  socket.connectToServer(path_);
  if (!socket.waitForConnected(kConnectTimeoutMs)) return false;
  if (!peerIsThisUser(socket.socketDescriptor())) return false;
  socket.write(kRaise);
  socket.waitForBytesWritten(kConnectTimeoutMs);
  socket.disconnectFromServer();
  return true;
}

bool SingleInstance::listen(std::function<void()> raise) {
  if (path_.isEmpty()) return false;
  raise_ = std::move(raise);
  connect(&server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
      connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      if (!peerIsThisUser(socket->socketDescriptor())) {
        socket->abort();
        socket->deleteLater();
        continue;
      }
      connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
        if (socket->readAll().contains('\n') && raise_) raise_();
      });
    }
  });
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  QLocalServer::removeServer(path_);
  return server_.listen(path_);
}

}  // namespace zapvane
