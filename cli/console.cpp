#include "console.h"

#include "commandline.h"
#include "help.h"
#include "paths.h"

#include <QIODevice>

#include <cerrno>
#include <cstdio>
#include <utility>

using namespace Qt::Literals::StringLiterals;

QTextStream& Out() {
  static QTextStream out(stdout);
  return out;
}

QTextStream& Err() {
  static QTextStream err(stderr);
  return err;
}

int UsageError(QTextStream& err, const QString& command, const QString& problem) {
  const QString program = command.isEmpty() ? kProgramName : kProgramName + u' ' + command;
  err << UsageLine(program, problem) << '\n';
  return kUsage;
}

int Refuse(QTextStream& err, const QString& problem) {
  err << problem << '\n';
  return kRefused;
}

namespace {

// The program's streams say a lost output once, however many checks find it.
bool g_outputFailureTold = false;

void TellOutputFailure(QTextStream& err, const QString& reason) {
  if (&err == &Err() && std::exchange(g_outputFailureTold, true)) return;
  err << (reason.isEmpty() ? u"Can't write the output"_s : u"Can't write the output: "_s + reason)
      << '\n';
  err.flush();
}

}  // namespace

bool WroteAll(QTextStream& out, QTextStream& err) {
  out.flush();
  if (out.status() == QTextStream::Ok) return true;
  TellOutputFailure(err, out.device() ? out.device()->errorString() : QString());
  return false;
}

int CloseOutput(int status) {
  Err().flush();
  Out().flush();
  QString reason = Out().status() == QTextStream::Ok ? QString() : Out().device()->errorString();
  // Out() lets go of stdout, so that it is closed once, here, where its failure can be told.
  Out().setDevice(nullptr);
  const bool lost = std::ferror(stdout) != 0;
  errno = 0;
  const bool closed = std::fclose(stdout) == 0;
  if (!closed && reason.isEmpty() && errno != 0) reason = SystemErrorText(errno);
  if (reason.isEmpty() && !lost && closed) return status;
  TellOutputFailure(Err(), reason);
  return kNotWritten;
}

QString Visible(const QString& text) {
  QString shown;
  for (const QChar c : text) {
    if (c.category() == QChar::Other_Control) {
      shown += u"<U+%1>"_s.arg(QString::number(c.unicode(), 16).toUpper().rightJustified(4, u'0'));
    } else {
      shown += c;
    }
  }
  return shown;
}
