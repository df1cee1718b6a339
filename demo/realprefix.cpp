#include "realprefix.h"

#include "registrynames.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

using namespace Qt::Literals::StringLiterals;

namespace {

// Debian puts wine64 beside its libraries when the "wine" package that links it is missing.
QString FindProgram(const QString& name, const QStringList& fallbacks) {
  const QString onPath = QStandardPaths::findExecutable(name);
  if (!onPath.isEmpty()) return onPath;
  for (const QString& path : fallbacks) {
    if (QFileInfo(path).isExecutable()) return path;
  }
  return {};
}

}  // namespace

RealWinePrefix::RealWinePrefix(const QString& folder)
    : wine_(FindProgram(u"wine64"_s, {u"/usr/lib/wine/wine64"_s})),
      wineserver_(FindProgram(u"wineserver"_s,
                              {u"/usr/lib/wine/wineserver64"_s, u"/usr/lib/wine/wineserver"_s})),
      prefix_(folder + u"/prefix"_s) {
  const QString home = folder + u"/home"_s;
  QDir().mkpath(home);
  env_ = QProcessEnvironment::systemEnvironment();
  env_.insert(u"WINEPREFIX"_s, prefix_);
  env_.insert(u"WINEARCH"_s, u"win64"_s);
  env_.insert(u"WINEDEBUG"_s, u"-all"_s);
  env_.insert(u"HOME"_s, home);
  env_.remove(u"DISPLAY"_s);
  env_.remove(u"WAYLAND_DISPLAY"_s);
}

RealWinePrefix::~RealWinePrefix() {
  if (!started_) return;
  Run(wineserver_, {u"-k"_s}, 60);
  Run(wineserver_, {u"-w"_s}, 60);
}

bool RealWinePrefix::Run(const QString& program, const QStringList& args, int seconds) {
  QProcess process;
  process.setProcessEnvironment(env_);
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start(program, args);
  if (!process.waitForFinished(seconds * 1000)) {
    process.kill();
    process.waitForFinished();
    failure_ = u"%1 %2 took more than %3 s"_s.arg(program, args.join(u' ')).arg(seconds);
    return false;
  }
  if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
    failure_ = u"%1 %2 failed: %3"_s.arg(program, args.join(u' '),
                                         QString::fromLocal8Bit(process.readAll()));
    return false;
  }
  return true;
}

bool RealWinePrefix::Make(const QString& installPath) {
  if (!Available()) {
    failure_ = u"wine64 is not installed"_s;
    return false;
  }
  started_ = true;
  // A 64-bit-only install has no syswow64\rundll32.exe; wineboot says so and goes on. The
  // registry files are complete only once the wineserver has ended.
  return Run(wine_, {u"wineboot"_s, u"-u"_s}, 300) && Run(wineserver_, {u"-w"_s}, 120) &&
         Run(wine_,
             {u"reg"_s, u"add"_s, u"HKLM\\"_s + kGameKey, u"/v"_s, kInstallPathValue, u"/d"_s,
              installPath, u"/reg:32"_s, u"/f"_s},
             120) &&
         Run(wineserver_, {u"-w"_s}, 120);
}
