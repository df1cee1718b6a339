#include "agsocket.h"

#include "mserrors.h"
#include "msstrings.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QNetworkProxy>
#include <QTcpSocket>

#include <utility>

#ifndef _WIN32
#include <netdb.h>
#endif

using namespace Qt::Literals::StringLiterals;

namespace {
bool g_winsockMissing = false;

constexpr int kConnectionReset = 10054;
constexpr int kNotConnected = 10057;
}  // namespace

// --- TagWinsock ---------------------------------------------------------------------------

TagWinsock& TagWinsock::Instance() {
  static TagWinsock instance;
  return instance;
}

void TagWinsock::SetLoaded(bool loaded) {
  if (loaded && !loaded_ && g_winsockMissing)
    throw EWinsockDLLError(MsLoadStr(MsStr::WinsockNotFound));
  loaded_ = loaded;
}

void TagWinsock::RequireLoaded() const {
  if (!loaded_) throw EWinsockDLLError(MsLoadStr(MsStr::WinsockNotLoaded));
}

void TagWinsock::SetMissingForTesting(bool missing) {
  g_winsockMissing = missing;
}

// --- TagSocket ----------------------------------------------------------------------------

TagSocket::TagSocket(QObject* parent) : QObject(parent) {
  ticker_.setInterval(1000);
  connect(&ticker_, &QTimer::timeout, this, &TagSocket::Tick);
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
#ifndef _WIN32
  // The services list is a local file; reading it does not wait for the network.
  if (const servent* entry = getservbyname(service.toLatin1().constData(), "tcp"))
    return ntohs(static_cast<uint16_t>(entry->s_port));
#else
  Q_UNUSED(service);
#endif
  return 0;
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

void TagSocket::Tick() {
  if (--remaining_ <= 0) timedOut_ = true;
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

template <class Done>
void TagSocket::WaitFor(Done done) {
  RestartTimeOut();
  ticker_.start();
  struct StopTicker {
    QTimer& t;
    ~StopTicker() { t.stop(); }
  } stop{ticker_};
  for (;;) {
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

  const qsizetype colon = server_.indexOf(u':');
  const QString host = colon < 0 ? server_ : server_.left(colon);

  localHost_ = QHostInfo::localHostName();
  if (localHost_.isEmpty()) localHost_ = host;

  QHostAddress address;
  if (!address.setAddress(host)) {
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
  if (colon >= 0) {
    bool ok = false;
    port = server_.mid(colon + 1).trimmed().toInt(&ok);
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
  socket_->connectToHost(address, static_cast<quint16>(port));
  // A refused connection ends the wait with its own error rather than running into the
  // time-out, so the user learns at once that nobody answers on that port.
  WaitFor([this] { return connected_ || asyncError_ != 0 || closed_; });
  if (asyncError_ != 0) RaiseSocketError(std::exchange(asyncError_, 0));
  if (!connected_) RaiseSocketError(kConnectionReset);
}

void TagSocket::SendBytes(const QByteArray& bytes) {
  if (!SocketOpen() || !Connected()) RaiseSocketError(closed_ ? kConnectionReset : kNotConnected);
  if (socket_->write(bytes) != bytes.size()) {
    RaiseSocketError(WinsockCode(socket_->error(), socket_->errorString()));
  }
  WaitFor(
      [this] { return !socket_ || socket_->bytesToWrite() == 0 || asyncError_ != 0 || closed_; });
  if (asyncError_ != 0) RaiseSocketError(std::exchange(asyncError_, 0));
  if (closed_ && socket_ && socket_->bytesToWrite() > 0) RaiseSocketError(kConnectionReset);
}

std::optional<QByteArray> TagSocket::ReadLine() {
  if (!socket_) RaiseSocketError(kNotConnected);
  QByteArray line;
  bool any = false;
  for (;;) {
    char c = 0;
    while (socket_->getChar(&c)) {
      any = true;
      if (c == '\n') {
        while (line.endsWith('\r') || line.endsWith('\n')) line.chop(1);
        return line;
      }
      if (line.size() < kMaxLine) line += c;
    }
    if (closed_) break;
    if (asyncError_ != 0) RaiseSocketError(std::exchange(asyncError_, 0));
    WaitFor([this] { return socket_->bytesAvailable() > 0 || closed_ || asyncError_ != 0; });
  }
  // The server closed the connection in the middle of a line or before one.
  if (!any) return std::nullopt;
  while (line.endsWith('\r')) line.chop(1);
  return line;
}
