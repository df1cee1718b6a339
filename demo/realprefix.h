#pragma once

#include <QProcessEnvironment>
#include <QString>

// A real 64-bit Wine prefix made by Debian's wine64 (wineboot), with the game registered by
// Wine's own reg.exe in the 32-bit view, as the game's 32-bit installer leaves it. The prefix
// has a home folder of its own, so Wine links its Desktop there and not into the user's. Its
// wineserver is stopped when the object goes.
class RealWinePrefix {
 public:
  // `folder` receives prefix/ and home/.
  explicit RealWinePrefix(const QString& folder);
  ~RealWinePrefix();
  RealWinePrefix(const RealWinePrefix&) = delete;
  RealWinePrefix& operator=(const RealWinePrefix&) = delete;

  // wine64 and wineserver are installed.
  bool Available() const { return !wine_.isEmpty() && !wineserver_.isEmpty(); }
  // Boots the prefix and registers `installPath` ("C:\Westwood\Dune2000\Dune2000.exe") as the
  // game's InstallPath. False, with Failure() telling why, when a step fails or hangs.
  bool Make(const QString& installPath);

  QString Prefix() const { return prefix_; }
  QString Wine() const { return wine_; }
  QProcessEnvironment Environment() const { return env_; }
  QString Failure() const { return failure_; }

 private:
  bool Run(const QString& program, const QStringList& args, int seconds);

  QString wine_, wineserver_, prefix_;
  QProcessEnvironment env_;
  QString failure_;
  bool started_ = false;
};
