#pragma once

#include <QAbstractSocket>
#include <QByteArray>
#include <QHostInfo>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>

class QTcpSocket;

// The process's socket library. Off Windows the sockets come with Qt Network and loading
// always succeeds; tests can make it fail to see how the failure is reported.
class TagWinsock {
 public:
  static TagWinsock& Instance();

  bool Loaded() const { return loaded_; }
  // True loads the library (EWinsockDLLError "Winsock not found" when it can't be);
  // false marks it as not loaded.
  void SetLoaded(bool loaded);
  // Raises EWinsockDLLError "Winsock is not loaded" unless it is.
  void RequireLoaded() const;

  static void SetMissingForTesting(bool missing);

 private:
  bool loaded_ = false;
};

// A TCP client connection driven by the Qt event loop. Every wait serves the event loop, so the
// program repaints and its timers run while the network is slow; a wait ends when its condition
// holds, on Cancel, or when the time-out counter runs out.
class TagSocket : public QObject {
  Q_OBJECT
 public:
  static constexpr int kDefaultTimeOut = 60;  // seconds
  static constexpr qsizetype kMaxLine = 1024;

  explicit TagSocket(QObject* parent = nullptr);
  ~TagSocket() override;

  // Host name or dotted address, optionally followed by ":" and a port number.
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
  void Cancel() { cancelled_ = true; }

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
  // Hands the bytes to the connection and waits until all of them have gone.
  void SendBytes(const QByteArray& bytes);
  // One line as the server sent it, without its line end; of a longer line the first kMaxLine
  // bytes are kept and the rest is skipped. Nothing when the server closed the connection
  // before the line began.
  std::optional<QByteArray> ReadLine();
  void RestartTimeOut() { remaining_ = timeOut_; }
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
  void Tick();

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

  QTimer ticker_;
  int remaining_ = 0;
  bool muted_ = false;
};
