#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// True when the process at the other end of the local socket runs as this user.
bool SameUserAtOtherEnd(qintptr socket);

// One setup at a time: the first start listens under the window class's name; a later start
// finds it there, asks it to come to the front and ends. Only a start of the same user is obeyed,
// and the name lies in a folder no other user can reach.
class SingleInstance : public QObject {
  Q_OBJECT
 public:
  explicit SingleInstance(QString name = DefaultName(), QObject* parent = nullptr);
  ~SingleInstance() override;

  // True when this is the first start (it now listens); false when another one runs, which
  // has been asked to come to the front.
  bool Claim();

  // The window class's name in the user's runtime folder (else in a folder of the user's own in
  // the temporary folder); empty when there is no such folder, and then every start runs.
  static QString DefaultName();

 signals:
  // Another start asked this one to come to the front.
  void Activate();

 private:
  QString name_;
  QLocalServer* server_ = nullptr;
};
