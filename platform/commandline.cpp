#include "commandline.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

using namespace Qt::Literals::StringLiterals;

namespace {

bool WriteAll(std::FILE* stream, const QString& text) {
  const QByteArray bytes = text.toLocal8Bit();
  errno = 0;
  return std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream) == size_t(bytes.size()) &&
         std::fflush(stream) == 0;
}

}  // namespace

QString VersionLine(const QString& program) {
  return u"%1 (Saltmarch 98) %2"_s.arg(program, QStringLiteral(SMARCH_FILE_VERSION));
}

bool AsksForHelp(const QStringList& arguments) {
  return arguments.contains(u"--help"_s) || arguments.contains(u"-h"_s);
}

bool AsksForVersion(const QStringList& arguments) {
  return arguments.contains(u"--version"_s);
}

QString UsageLine(const QString& program, const QString& problem) {
  return u"%1: %2; see %1 --help"_s.arg(program, problem);
}

std::optional<int> AnswerAboutItself(const QString& program, const QStringList& arguments,
                                     const QString& help) {
  QString text;
  if (AsksForHelp(arguments)) {
    text = help;
  } else if (AsksForVersion(arguments)) {
    text = VersionLine(program) + u'\n';
  } else {
    return std::nullopt;
  }
  if (WriteAll(stdout, text)) return 0;
  const int error = errno;
  WriteAll(stderr, u"%1: can't write the output: %2\n"_s.arg(
                       program, QString::fromLocal8Bit(std::strerror(error ? error : EIO))));
  return 1;
}

int UsageError(const QString& program, const QString& problem) {
  WriteAll(stderr, UsageLine(program, problem) + u'\n');
  return kUsageExit;
}
