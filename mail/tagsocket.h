#pragma once

#include "serviceslot.h"

#include <QAbstractSocket>
#include <QByteArray>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QHostInfo>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>

class QTcpSocket;

// Whether the system has a socket library to load. Off Windows the sockets come with Qt
// Network and it always has; a test stands in a system without one to see how that is reported.
class SocketLibraryService {
 public:
  virtual ~SocketLibraryService() = default;
  virtual bool Present() = 0;
};
// Where the service in use is kept; until a test puts its own in use, Qt Network's.
ServiceSlot<SocketLibraryService>& SocketLibrarySlot();

// The process's socket library, loaded or not.
class TagWinsock {
 public:
  static TagWinsock& Instance();

  bool Loaded() const { return loaded_; }
  // True loads the library (EWinsockDLLError "Winsock not found" when it can't be);
  // false marks it as not loaded.
  void SetLoaded(bool loaded);
  // Raises EWinsockDLLError "Winsock is not loaded" unless it is.
  void RequireLoaded() const;

 private:
  bool loaded_ = false;
};

// A TCP client connection driven by the Qt event loop. Every wait serves the event loop, so the
// program repaints and its timers run while the network is slow; a wait ends when its condition
// holds, on Cancel, or at its deadline. A deadline is set once for a whole step (a reply, the
// connection, a block of data), so a server that trickles bytes cannot stretch it.
class TagSocket : public QObject {
  Q_OBJECT
 public:
  static constexpr int kDefaultTimeOut = 60;  // seconds
  // Bytes of a line that are kept; the rest of a longer line is skipped, up to kMaxLineBytes,
  // beyond which the line counts as broken.
  static constexpr qsizetype kMaxLine = 1024;
  static constexpr qsizetype kMaxLineBytes = 64 * 1024;
  // Data that went out and earns a slow reader a new deadline.
  static constexpr qint64 kProgressBlock = 2047;

  // A line as the server sent it, without its line end. `complete` is false when the line
  // ended without a line feed: the connection closed, or it ran past kMaxLineBytes.
  struct Line {
    QByteArray text;
    bool complete = false;
  };

  explicit TagSocket(QObject* parent = nullptr);
  ~TagSocket() override;

  // Host name or address, optionally followed by ":" and a port number. An IPv6 address
  // stands alone ("::1") or in brackets before a port ("[::1]:2525").
  QString Server() const { return server_; }
  void SetServer(const QString& server) { server_ = server; }
  int DefaultPort() const { return defaultPort_; }
  void SetDefaultPort(int port) { defaultPort_ = port; }
  QString ServiceName() const { return serviceName_; }
  // Seconds a wait may last.
  int TimeOut() const { return timeOut_; }
  void SetTimeOut(int seconds) { timeOut_ = seconds; }

  bool WinsockLoaded() const { return TagWinsock::Instance().Loaded(); }
  void SetWinsockLoaded(bool loaded) { TagWinsock::Instance().SetLoaded(loaded); }

  QString LocalHost() const { return localHost_; }
  QString RemoteAddress() const { return remoteAddress_; }
  int RemotePort() const { return remotePort_; }
  bool Connected() const;

  // Ends the current or next wait with "Operation has been canceled".
  void Cancel();

  // The name this machine gives in HELO: its host name when that is fully qualified, else the
  // address literal of the connection's own end ("[127.0.0.1]", "[IPv6:::1]").
  static QString HeloName(const QString& hostName, const QHostAddress& localAddress);

  // The port of a service from the system's services list, or 0.
  static int ServicePort(const QString& service);
  // The Windows Sockets error code that stands for a Qt socket error. `qtText` is Qt's own
  // description, which tells network failures apart.
  static int WinsockCode(QAbstractSocket::SocketError error, const QString& qtText = {});
  static int WinsockCode(QHostInfo::HostInfoError error);

 signals:
  void OnOpen();
  void OnError(const QString& text);

 protected:
  // Looks the server up and connects to it.
  void Connect();
  void CloseSocket();
  // Connected and not closed by the server.
  bool SocketOpen() const;
  // Hands the bytes to the connection and waits until all of them have gone. False when the
  // server has something to say instead: it spoke while `untilServerSpeaks`, or it closed or
  // failed the connection after sending something that is still to be read.
  bool SendBytes(const QByteArray& bytes, bool untilServerSpeaks = false);
  // The next line; of a longer line the first kMaxLine bytes are kept. Nothing when the
  // server closed the connection before the line began. Waits until the current deadline.
  std::optional<Line> ReadLine();
  // Gives the next step the whole time-out.
  void RestartTimeOut();
  void ServeMessageLoopOnce();
  // Fires OnError with the code's text and raises ESocketError with it.
  [[noreturn]] void RaiseSocketError(int code);
  // While muted, failures are raised without OnError: for leaving a connection after a
  // failure that has been reported already.
  void MuteErrorEvents(bool muted) { muted_ = muted; }

 private:
  template <class Done>
  void WaitFor(Done done);
  void ClearWaitFlags();
  void HostLookedUp(const QHostInfo& info);
  void SocketFailed(QAbstractSocket::SocketError error);

  QString server_;
  int defaultPort_ = 25;
  QString serviceName_ = QStringLiteral("smtp");
  int timeOut_ = kDefaultTimeOut;

  std::unique_ptr<QTcpSocket> socket_;
  QString localHost_;
  QString remoteAddress_;
  int remotePort_ = 0;

  // Wait flags, set by the notifications.
  int lookupId_ = -1;
  std::optional<QHostInfo> hostInfo_;
  bool connected_ = false;
  bool closed_ = false;
  bool cancelled_ = false;
  bool timedOut_ = false;
  int asyncError_ = 0;

  QDeadlineTimer deadline_;
  QTimer wake_;  // ends the event loop's sleep at the deadline
  qint64 written_ = 0;
  bool muted_ = false;
};
