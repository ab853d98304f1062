#include "platform/handoff_channel.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QVariant>
#include <cstring>

namespace lumetra::platform {
namespace {

constexpr int kHeaderSize = 24;
constexpr uint32_t kMaxPayload = 1u << 20;

template <typename T>
void Put(QByteArray& out, T value) {
  char bytes[sizeof(T)];
  std::memcpy(bytes, &value, sizeof(T));  // little-endian hosts only, as the Handle file
  out.append(bytes, sizeof(T));
}

template <typename T>
T Take(const char* p) {
  T value;
  std::memcpy(&value, p, sizeof(T));
  return value;
}

}  // namespace

std::string HandoffSocketPath(const std::string& runtimeFolder, WindowHandle window) {
  return runtimeFolder + "/TarvoLumetra-" + std::to_string(window) + ".sock";
}

HandoffServer::HandoffServer(const std::string& runtimeFolder, WindowHandle window, QObject* parent)
    : QObject(parent), server_(new QLocalServer(this)), window_(window) {
  QString path = QString::fromStdString(HandoffSocketPath(runtimeFolder, window));
  // We hold the instance lock, so a socket file left here is a dead copy's.
  QLocalServer::removeServer(path);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(path))
    std::fprintf(stderr, "lumetra: cannot listen on %s: %s\n", qPrintable(path), qPrintable(server_->errorString()));
  connect(server_, &QLocalServer::newConnection, this, [this] { OnConnection(); });
}

HandoffServer::~HandoffServer() { server_->close(); }

bool HandoffServer::Listening() const { return server_->isListening(); }

void HandoffServer::OnConnection() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    QPointer<QLocalSocket> guard(socket);
    connect(socket, &QLocalSocket::readyRead, this, [this, guard] {
      if (!guard) return;
      QByteArray buffered = guard->property("buffer").toByteArray() + guard->readAll();
      while (buffered.size() >= kHeaderSize) {
        const char* p = buffered.constData();
        uint32_t msg = Take<uint32_t>(p);
        uint64_t wParam = Take<uint64_t>(p + 4);
        int64_t lParam = Take<int64_t>(p + 12);
        uint32_t length = Take<uint32_t>(p + 20);
        if (length > kMaxPayload) {
          guard->abort();
          return;
        }
        if (buffered.size() < kHeaderSize + static_cast<qsizetype>(length)) break;
        QByteArray payload = buffered.mid(kHeaderSize, length);
        buffered.remove(0, kHeaderSize + length);
        LResult result;
        if (msg == WM_COPYDATA) {
          CopyData data{static_cast<uintptr_t>(lParam), length, payload.constData()};
          result = SendMessage(window_, msg, static_cast<WParam>(wParam), reinterpret_cast<LParam>(&data));
        } else {
          result = SendMessage(window_, msg, static_cast<WParam>(wParam), static_cast<LParam>(lParam));
        }
        if (!guard) return;
        QByteArray answer;
        Put<int64_t>(answer, result);
        guard->write(answer);
        guard->flush();
      }
      if (guard) guard->setProperty("buffer", buffered);
    });
  }
}

std::optional<LResult> SendToRunningCopy(const std::string& runtimeFolder, WindowHandle window, uint32_t msg,
                                         WParam wParam, LParam lParam, const std::string& payload, int timeoutMs) {
  if (window == 0 || payload.size() > kMaxPayload) return std::nullopt;
  QLocalSocket socket;
  socket.connectToServer(QString::fromStdString(HandoffSocketPath(runtimeFolder, window)));
  if (!socket.waitForConnected(timeoutMs)) return std::nullopt;
  QByteArray frame;
  Put<uint32_t>(frame, msg);
  Put<uint64_t>(frame, wParam);
  Put<int64_t>(frame, lParam);
  Put<uint32_t>(frame, static_cast<uint32_t>(payload.size()));
  frame.append(payload.data(), static_cast<qsizetype>(payload.size()));
  socket.write(frame);
  if (!socket.waitForBytesWritten(timeoutMs)) return std::nullopt;
  QByteArray answer;
  while (answer.size() < 8) {
    if (!socket.waitForReadyRead(timeoutMs)) return std::nullopt;
    answer += socket.readAll();
  }
  socket.disconnectFromServer();
  return Take<int64_t>(answer.constData());
}

}  // namespace lumetra::platform
