#pragma once

#include <QString>
#include <QStringList>

// Opening a file or a web address with the desktop's default handler goes through one
// replaceable service, so tests can see what would have been opened.
class ShellService {
 public:
  virtual ~ShellService() = default;
  // Gives false when the desktop could not open it.
  virtual bool Open(const QString& fileOrAddress) = 0;
};

ShellService& Shell();
ShellService* SetShell(ShellService* service);  // null restores the desktop's handler

// Records what would have been opened and answers with `result`.
class RecordingShell : public ShellService {
 public:
  RecordingShell();
  ~RecordingShell() override;
  RecordingShell(const RecordingShell&) = delete;
  RecordingShell& operator=(const RecordingShell&) = delete;

  bool Open(const QString& fileOrAddress) override;

  QStringList opened;
  bool result = true;

 private:
  ShellService* previous_;
};
