#include "compressed.h"

#include "sampledir.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <random>

#ifdef _WIN32
#include <windows.h>
#endif

using namespace Qt::Literals::StringLiterals;

#ifdef _WIN32

namespace {

// mscompress is a program of the system Wine runs on and wants that system's paths.
QString HostPath(const QString& path) {
  using ToUnix = char*(CDECL*)(const wchar_t*);
  const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
  if (!toUnix) return path;
  const QString native = QDir::toNativeSeparators(path);
  char* unixPath = toUnix(reinterpret_cast<const wchar_t*>(native.utf16()));
  if (!unixPath) return path;
  const QString result = QString::fromUtf8(unixPath);
  HeapFree(GetProcessHeap(), 0, unixPath);
  return result;
}

}  // namespace

#endif

#ifdef _WIN32

QByteArray MsCompressed(const QByteArray& bytes) {
  // Wine starts a program of its host but hands back no process to wait for: a shell script
  // reports the tool's end in a file, and that file is waited for.
  QTemporaryDir dir;
  const QString path = dir.filePath(u"data.bin"_s);
  const QString done = dir.filePath(u"done"_s);
  const QString script = dir.filePath(u"compress.sh"_s);
  if (!WriteAll(path, bytes) ||
      !WriteAll(script, "if \"" MSCOMPRESS_TOOL "\" \"$1\"; then r=ok; else r=failed; fi\n"
                        "echo $r > \"$2.tmp\" && mv \"$2.tmp\" \"$2\"\n"))
    return {};
  QProcess tool;
  tool.start(u"Z:\\bin\\sh"_s, {HostPath(script), HostPath(path), HostPath(done)});
  tool.waitForFinished(-1);
  QDeadlineTimer deadline(60000);
  while (!QFileInfo::exists(done) && !deadline.hasExpired()) QThread::msleep(20);
  if (ReadAll(done) != "ok\n") return {};
  return ReadAll(path + u'_');
}

#else

QByteArray MsCompressed(const QByteArray& bytes) {
  QTemporaryDir dir;
  const QString path = dir.filePath(u"data.bin"_s);
  if (!WriteAll(path, bytes)) return {};
  QProcess tool;
  tool.start(QString::fromLocal8Bit(MSCOMPRESS_TOOL), {path});
  if (!tool.waitForFinished(-1) || tool.exitCode() != 0) return {};
  return ReadAll(path + u'_');
}

#endif

QByteArray TestBytes(qsizetype size, unsigned seed, bool compressible) {
  std::mt19937 random(seed);
  QByteArray bytes;
  bytes.reserve(size);
  static const char* words[] = {"harvester ", "spice ",    "ornithopter ",
                                "Atreides ",  "sandworm ", "\n",
                                "Harkonnen ", "0x3C00 ",   "refinery "};
  while (bytes.size() < size) {
    if (compressible) {
      bytes += words[random() % std::size(words)];
      if (random() % 7 == 0) bytes += static_cast<char>(random() & 0xFF);
    } else {
      bytes += static_cast<char>(random() & 0xFF);
    }
  }
  bytes.truncate(size);
  return bytes;
}
