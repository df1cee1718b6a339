#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// One setup at a time: the first start listens under the window class's name; a later start
// finds it there, asks it to come to the front and ends.
class SingleInstance : public QObject {
  Q_OBJECT
 public:
  explicit SingleInstance(QString name = DefaultName(), QObject* parent = nullptr);
  ~SingleInstance() override;

  // True when this is the first start (it now listens); false when another one runs, which
  // has been asked to come to the front.
  bool Claim();

  // The window class's name, per user so that users of one machine do not meet.
  static QString DefaultName();

 signals:
  // Another start asked this one to come to the front.
  void Activate();

 private:
  QString name_;
  QLocalServer* server_ = nullptr;
};
