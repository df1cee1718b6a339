#include "installerui.h"

#include <QDir>

#ifdef _WIN32
#include <windows.h>

#include <string>
#else
#include <QProcess>
#endif

using namespace Qt::Literals::StringLiterals;

namespace {

#ifdef _WIN32

const wchar_t* W(const QString& text) {
  return reinterpret_cast<const wchar_t*>(text.utf16());
}

// Every field in double quotes but the last, which is the bare mode letter; a program reading
// its command line the usual way gets each field back whole, blanks and all.
QString CommandLine(const QString& program, const QStringList& arguments) {
  QString line = u"\""_s + program + u'"';
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    const bool last = i + 1 == arguments.size();
    line += last ? u' ' + arguments[i] : u" \""_s + arguments[i] + u'"';
  }
  return line;
}

// Starts the program itself (no search along the path), with nothing of setup's handles, in a
// window of its own as the system would open it.
class WindowsRunner final : public ProgramRunner {
 public:
  bool Run(const QString& program, const QStringList& arguments, const QString& folder,
           const std::function<void()>& waiting) override {
    const QString native = QDir::toNativeSeparators(program);
    // The system may write into the command line, so it gets a copy it owns.
    std::wstring line = CommandLine(native, arguments).toStdWString();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(W(native), line.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                        nullptr, folder.isEmpty() ? nullptr : W(QDir::toNativeSeparators(folder)),
                        &startup, &process))
      return false;
    CloseHandle(process.hThread);
    do {
      if (waiting) waiting();
    } while (WaitForSingleObject(process.hProcess, 500) == WAIT_TIMEOUT);
    CloseHandle(process.hProcess);
    return true;
  }
};

#else

class QProcessRunner final : public ProgramRunner {
 public:
  bool Run(const QString& program, const QStringList& arguments, const QString& folder,
           const std::function<void()>& waiting) override {
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setWorkingDirectory(folder);
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.setInputChannelMode(QProcess::ForwardedInputChannel);
    process.start();
    if (!process.waitForStarted(-1)) return false;
    do {
      if (waiting) waiting();
    } while (!process.waitForFinished(500) && process.state() != QProcess::NotRunning);
    return true;
  }
};

#endif

}  // namespace

ProgramRunner& ProcessRunner() {
#ifdef _WIN32
  static WindowsRunner runner;
#else
  static QProcessRunner runner;
#endif
  return runner;
}
