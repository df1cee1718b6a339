#include "tagsocket.h"

#include "mailerrors.h"
#include "mailstrings.h"
#include "mailtext.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QHostAddress>
#include <QNetworkProxy>
#include <QTcpSocket>

#include <algorithm>
#include <utility>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <netdb.h>
#endif

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kConnectionReset = 10054;
constexpr int kNotConnected = 10057;

// Qt Network brings the sockets; only a stand-in says there are none.
class QtSocketLibrary final : public SocketLibraryService {
 public:
  bool Present() override { return true; }
};

}  // namespace

// --- TagWinsock ---------------------------------------------------------------------------

ServiceSlot<SocketLibraryService>& SocketLibrarySlot() {
  static ServiceSlot<SocketLibraryService> slot(std::in_place_type<QtSocketLibrary>);
  return slot;
}

TagWinsock& TagWinsock::Instance() {
  static TagWinsock instance;
  return instance;
}

void TagWinsock::SetLoaded(bool loaded) {
  if (loaded && !loaded_ && !SocketLibrarySlot().Get().Present())
    throw EWinsockDLLError(MsLoadStr(MsStr::WinsockNotFound));
  loaded_ = loaded;
}

void TagWinsock::RequireLoaded() const {
  if (!loaded_) throw EWinsockDLLError(MsLoadStr(MsStr::WinsockNotLoaded));
}

// --- TagSocket ----------------------------------------------------------------------------

TagSocket::TagSocket(QObject* parent) : QObject(parent) {
  wake_.setSingleShot(true);
}

TagSocket::~TagSocket() {
  if (lookupId_ >= 0) QHostInfo::abortHostLookup(lookupId_);
  CloseSocket();
}

bool TagSocket::Connected() const {
  return socket_ && socket_->state() == QAbstractSocket::ConnectedState;
}

bool TagSocket::SocketOpen() const {
  return Connected() && !closed_;
}

int TagSocket::ServicePort(const QString& service) {
#ifdef _WIN32
  // Windows Sockets answers only between a start-up and its clean-up of its own.
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return 0;
#endif
  // The services list is a local file; reading it does not wait for the network.
  const servent* entry = getservbyname(service.toLatin1().constData(), "tcp");
  const int port = entry ? ntohs(static_cast<uint16_t>(entry->s_port)) : 0;
#ifdef _WIN32
  WSACleanup();
#endif
  return port;
}

int TagSocket::WinsockCode(QAbstractSocket::SocketError error, const QString& qtText) {
  switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
      return 10061;
    case QAbstractSocket::RemoteHostClosedError:
      return kConnectionReset;
    case QAbstractSocket::HostNotFoundError:
      return 11001;
    case QAbstractSocket::SocketAccessError:
      return 10013;
    case QAbstractSocket::SocketResourceError:
      return 10055;
    case QAbstractSocket::SocketTimeoutError:
      return 10060;
    case QAbstractSocket::DatagramTooLargeError:
      return 10040;
    case QAbstractSocket::AddressInUseError:
      return 10048;
    case QAbstractSocket::SocketAddressNotAvailableError:
      return 10049;
    case QAbstractSocket::UnsupportedSocketOperationError:
      return 10045;
    case QAbstractSocket::UnfinishedSocketOperationError:
      return 10036;
    case QAbstractSocket::TemporaryError:
      return 10035;
    case QAbstractSocket::OperationError:
      return 10022;
    case QAbstractSocket::NetworkError:
      // Qt folds several system errors into this one; its description tells which.
      if (qtText.contains(u"timed out"_s, Qt::CaseInsensitive)) return 10060;
      if (qtText.contains(u"Host unreachable"_s, Qt::CaseInsensitive)) return 10065;
      if (qtText.contains(u"Network unreachable"_s, Qt::CaseInsensitive)) return 10051;
      if (qtText.contains(u"Address already in use"_s, Qt::CaseInsensitive)) return 10048;
      return 10050;
    default:
      return 10053;
  }
}

int TagSocket::WinsockCode(QHostInfo::HostInfoError error) {
  switch (error) {
    case QHostInfo::NoError:
      return 0;
    case QHostInfo::HostNotFound:
      return 11001;
    default:
      return 11002;  // the resolver could not answer now
  }
}

void TagSocket::ClearWaitFlags() {
  hostInfo_.reset();
  connected_ = false;
  closed_ = false;
  cancelled_ = false;
  timedOut_ = false;
  asyncError_ = 0;
}

void TagSocket::RestartTimeOut() {
  deadline_.setRemainingTime(qint64(timeOut_) * 1000);
}

QString TagSocket::HeloName(const QString& hostName, const QHostAddress& localAddress) {
  if (hostName.contains(u'.') && IsValidMailAddress(u"x@"_s + hostName)) return hostName;
  QHostAddress address = localAddress;
  bool mapped = false;
  const quint32 v4 = address.toIPv4Address(&mapped);
  if (mapped) return u'[' + QHostAddress(v4).toString() + u']';
  if (address.protocol() != QAbstractSocket::IPv6Protocol) return u"[127.0.0.1]"_s;
  address.setScopeId(QString());
  return u"[IPv6:"_s + address.toString() + u']';
}

void TagSocket::HostLookedUp(const QHostInfo& info) {
  if (info.lookupId() != lookupId_) return;
  lookupId_ = -1;
  hostInfo_ = info;
}

void TagSocket::SocketFailed(QAbstractSocket::SocketError error) {
  // The server ending the connection is not an error by itself: what it sent before may
  // still be read.
  if (error == QAbstractSocket::RemoteHostClosedError) {
    closed_ = true;
    return;
  }
  asyncError_ = WinsockCode(error, socket_ ? socket_->errorString() : QString());
}

void TagSocket::ServeMessageLoopOnce() {
  QCoreApplication::processEvents();
}

void TagSocket::Cancel() {
  cancelled_ = true;
  // A cancel usually comes from an event the wait itself is handling (a key, a click, a timer),
  // and some event loops (Windows') go on waiting after such an event: make the wait look again.
  if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
    dispatcher->wakeUp();
}

template <class Done>
void TagSocket::WaitFor(Done done) {
  struct StopWake {
    QTimer& t;
    ~StopWake() { t.stop(); }
  } stop{wake_};
  for (;;) {
    if (deadline_.hasExpired()) timedOut_ = true;
    if (cancelled_ || timedOut_) {
      const QString text = MsLoadStr(cancelled_ ? MsStr::Canceled : MsStr::TimedOut);
      if (!muted_) emit OnError(text);
      if (lookupId_ >= 0) {
        QHostInfo::abortHostLookup(lookupId_);
        lookupId_ = -1;
      }
      // Whoever cancels wants out at once, not after a QUIT that may wait as long again.
      CloseSocket();
      if (cancelled_) throw ECanceledError(text);
      throw ETimedOutError(text);
    }
    if (done()) return;
    wake_.start(int(std::clamp<qint64>(deadline_.remainingTime(), 1, 24 * 3600 * 1000)));
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
}

void TagSocket::RaiseSocketError(int code) {
  const QString text = MsErrorText(code);
  if (!muted_) emit OnError(text);
  if (code == kConnectionReset) CloseSocket();
  throw ESocketError(text);
}

void TagSocket::CloseSocket() {
  if (!socket_) return;
  socket_->disconnect(this);
  socket_->abort();
  socket_.reset();
}

void TagSocket::Connect() {
  if (server_.isEmpty()) RaiseSocketError(MsStr::ServerRequired);
  CloseSocket();
  ClearWaitFlags();
  emit OnOpen();
  TagWinsock::Instance().RequireLoaded();

  // "host", "host:port", a bare IPv6 address, or one in brackets with or without a port.
  QString host = server_;
  QString portText;
  bool hasPort = false;
  if (server_.startsWith(u'[')) {
    const qsizetype close = server_.indexOf(u']');
    const QString rest = close < 0 ? QString() : server_.mid(close + 1);
    if (close < 0 || (!rest.isEmpty() && !rest.startsWith(u':')))
      RaiseSocketError(MsStr::ResolveFailed);
    host = server_.mid(1, close - 1);
    hasPort = !rest.isEmpty();
    portText = rest.mid(1);
  } else if (server_.count(u':') == 1) {
    const qsizetype colon = server_.indexOf(u':');
    host = server_.left(colon);
    hasPort = true;
    portText = server_.mid(colon + 1);
  }

  QHostAddress address;
  if (!address.setAddress(host)) {
    RestartTimeOut();
    lookupId_ = QHostInfo::lookupHost(host, this, &TagSocket::HostLookedUp);
    WaitFor([this] { return hostInfo_.has_value(); });
    if (hostInfo_->error() != QHostInfo::NoError) RaiseSocketError(WinsockCode(hostInfo_->error()));
    // The first IPv4 address, as the classic resolver gives; a host with IPv6 only still works.
    const QList<QHostAddress> found = hostInfo_->addresses();
    for (const QHostAddress& a : found) {
      if (a.protocol() == QAbstractSocket::IPv4Protocol) {
        address = a;
        break;
      }
    }
    if (address.isNull() && !found.isEmpty()) address = found.first();
    if (address.isNull()) RaiseSocketError(MsStr::ResolveFailed);
  }
  remoteAddress_ = address.toString();

  int port = 0;
  if (hasPort) {
    bool ok = false;
    port = portText.trimmed().toInt(&ok);
    if (!ok || port < 1 || port > 65535) RaiseSocketError(MsStr::InvalidPort);
  } else {
    port = ServicePort(serviceName_);
    if (port <= 0) port = defaultPort_;
  }
  remotePort_ = port;

  socket_ = std::make_unique<QTcpSocket>();
  socket_->setProxy(QNetworkProxy::NoProxy);
  connect(socket_.get(), &QTcpSocket::connected, this, [this] {
    connected_ = true;
    // Commands are short and each waits for its reply; holding one back until the previous
    // segment is acknowledged would only add the peer's delayed-acknowledgement time.
    socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
  });
  connect(socket_.get(), &QTcpSocket::disconnected, this, [this] { closed_ = true; });
  connect(socket_.get(), &QTcpSocket::errorOccurred, this, &TagSocket::SocketFailed);
  connect(socket_.get(), &QTcpSocket::bytesWritten, this, [this](qint64 n) { written_ += n; });
  RestartTimeOut();
  socket_->connectToHost(address, static_cast<quint16>(port));
  // A refused connection ends the wait with its own error rather than running into the
  // time-out, so the user learns at once that nobody answers on that port.
  WaitFor([this] { return connected_ || asyncError_ != 0 || closed_; });
  if (asyncError_ != 0) RaiseSocketError(std::exchange(asyncError_, 0));
  if (!connected_) RaiseSocketError(kConnectionReset);
  // Strict servers refuse a bare host name in HELO; the address literal is always right.
  localHost_ = HeloName(QHostInfo::localHostName(), socket_->localAddress());
}

bool TagSocket::SendBytes(const QByteArray& bytes, bool untilServerSpeaks) {
  // A server that answers and closes before its turn (a refusal of the message while it
  // still comes in) has its say; the reply explains more than "connection reset".
  const auto serverSpoke = [this] { return socket_ && socket_->bytesAvailable() > 0; };
  if (!SocketOpen()) {
    if (serverSpoke()) return false;
    RaiseSocketError(closed_ ? kConnectionReset : kNotConnected);
  }
  written_ = 0;
  if (socket_->write(bytes) != bytes.size()) {
    RaiseSocketError(WinsockCode(socket_->error(), socket_->errorString()));
  }
  RestartTimeOut();
  for (;;) {
    WaitFor([&] {
      return socket_->bytesToWrite() == 0 || asyncError_ != 0 || closed_ ||
             written_ >= kProgressBlock || (untilServerSpeaks && serverSpoke());
    });
    // All of it went: whatever the server says now is the reply to it.
    if (socket_->bytesToWrite() == 0) return true;
    if ((untilServerSpeaks || asyncError_ != 0 || closed_) && serverSpoke()) return false;
    if (asyncError_ != 0) RaiseSocketError(std::exchange(asyncError_, 0));
    if (closed_) RaiseSocketError(kConnectionReset);
    // A block went out: a slow reader is still reading, and gets a new deadline.
    written_ = 0;
    RestartTimeOut();
  }
}

std::optional<TagSocket::Line> TagSocket::ReadLine() {
  if (!socket_) RaiseSocketError(kNotConnected);
  Line line;
  qsizetype seen = 0;
  const auto finish = [&line] {
    while (line.text.endsWith('\r') || line.text.endsWith('\n')) line.text.chop(1);
    return line;
  };
  for (;;) {
    char buffer[4096];
    while (socket_->bytesAvailable() > 0) {
      const qint64 n = socket_->readLine(buffer, sizeof buffer);
      if (n <= 0) break;
      seen += n;
      line.text.append(buffer, std::clamp<qsizetype>(kMaxLine - line.text.size(), 0, n));
      if (buffer[n - 1] == '\n') {
        line.complete = true;
        return finish();
      }
      // Nobody sends lines this long in earnest; reading on would only feed a flood.
      if (seen > kMaxLineBytes) return finish();
    }
    if (closed_) break;
    if (asyncError_ != 0) RaiseSocketError(std::exchange(asyncError_, 0));
    WaitFor([this] { return socket_->bytesAvailable() > 0 || closed_ || asyncError_ != 0; });
  }
  // The server closed the connection in the middle of a line or before one.
  if (seen == 0) return std::nullopt;
  return finish();
}
