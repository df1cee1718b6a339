// How fast setup expands: a 64 MB file in the Microsoft LZ format (made once by mscompress and
// kept beside this program), read by our decoder in memory and expanded file to file, beside
// libmspack's extraction, Debian's msexpand and a plain copy of the expanded file; then a whole
// unattended install of the sample medium.
//   bench/lz_bench [MEGABYTES]

#include "expandfile.h"
#include "lzfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <mspack.h>

#include <cstdio>
#include <random>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

// Text-like data with some noise, about as compressible as a program with its resources.
QByteArray MakeData(qsizetype size) {
  static const char* words[] = {
      "harvester ", "spice ",     "ornithopter ", "Atreides ", "sandworm ",
      "\n",         "Harkonnen ", "0x3C00 ",      "refinery ", "\x00\x00\x00\x01"};
  std::mt19937 random(98);
  QByteArray bytes;
  bytes.reserve(size + 64);
  while (bytes.size() < size) {
    bytes += words[random() % std::size(words)];
    if (random() % 5 == 0) bytes += static_cast<char>(random());
  }
  bytes.truncate(size);
  return bytes;
}

bool Run(const QString& program, const QStringList& args, const QString& in = {},
         const QString& out = {}) {
  QProcess process;
  if (!in.isEmpty()) process.setStandardInputFile(in);
  if (!out.isEmpty()) process.setStandardOutputFile(out);
  process.start(program, args);
  return process.waitForFinished(-1) && process.exitCode() == 0;
}

void Report(const char* what, qint64 bytes, qint64 nanoseconds) {
  const double seconds = static_cast<double>(nanoseconds) / 1e9;
  std::printf("%-34s %8.3f s %9.1f MB/s\n", what, seconds,
              static_cast<double>(bytes) / 1e6 / seconds);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const qint64 megabytes = argc > 1 ? QString::fromLocal8Bit(argv[1]).toLongLong() : 64;
  const qint64 size = megabytes << 20;
  const QString keep = QCoreApplication::applicationDirPath() + u"/lz-bench-data"_s;
  QDir().mkpath(keep);
  const QString original = keep + u"/data-%1"_s.arg(megabytes);
  const QString packed = original + u'_';
  if (QFileInfo(original).size() != size || !QFileInfo::exists(packed)) {
    std::printf("Making %lld MB of data and compressing it with mscompress (once)...\n",
                static_cast<long long>(megabytes));
    QFile::remove(packed);
    QFile file(original);
    if (!file.open(QIODevice::WriteOnly) || file.write(MakeData(size)) != size) return 1;
    file.close();
    if (!Run(u"mscompress"_s, {original})) return 1;
  }
  QFile in(packed);
  if (!in.open(QIODevice::ReadOnly)) return 1;
  const QByteArray stored = in.readAll();
  std::printf("%lld bytes expanded from %lld stored\n\n", static_cast<long long>(size),
              static_cast<long long>(stored.size()));

  QTemporaryDir work;
  QElapsedTimer timer;

  // The decoder alone, in memory.
  {
    std::vector<char> block(32000);
    qint64 best = 0;
    for (int round = 0; round < 3; ++round) {
      timer.start();
      auto reader = LzReader::OpenMemory(stored);
      qint64 total = 0, n = 0;
      while ((n = reader->Read(block.data(), 32000)) > 0) total += n;
      const qint64 took = timer.nsecsElapsed();
      if (total != size) return 1;
      if (!best || took < best) best = took;
    }
    Report("decoder, in memory", size, best);
  }

  // ExpandFile as setup runs it: file to file in 32000-byte blocks, with progress, into a
  // temporary file that is flushed to the disk and renamed into place.
  {
    std::vector<char> buffer(63000);
    timer.start();
    const int code = ExpandFile(packed, work.filePath(u"ours"_s), true, buffer, [](int) {});
    Report("ExpandFile, file to file", size, timer.nsecsElapsed());
    if (code != 0) return 1;
  }

  {
    timer.start();
    msszdd_decompressor* d = mspack_create_szdd_decompressor(nullptr);
    const int error = d->decompress(d, QFile::encodeName(packed).data(),
                                    QFile::encodeName(work.filePath(u"mspack"_s)).data());
    mspack_destroy_szdd_decompressor(d);
    Report("libmspack, file to file", size, timer.nsecsElapsed());
    if (error != MSPACK_ERR_OK) return 1;
  }

  {
    timer.start();
    const bool ok = Run(u"msexpand"_s, {}, packed, work.filePath(u"msexpand"_s));
    Report("msexpand", size, timer.nsecsElapsed());
    if (!ok) return 1;
  }

  {
    timer.start();
    const bool ok = Run(u"cp"_s, {original, work.filePath(u"copy"_s)});
    Report("cp of the expanded file", size, timer.nsecsElapsed());
    if (!ok) return 1;
  }

  for (const QString& name : {u"ours"_s, u"mspack"_s, u"msexpand"_s}) {
    QFile out(work.filePath(name));
    out.open(QIODevice::ReadOnly);
    std::printf("%-10s output %s\n", qPrintable(name),
                out.size() == size ? "complete" : "DIFFERS IN SIZE");
  }

  // A whole install of the sample medium, without a window.
  {
    const QString medium = QString::fromLocal8Bit(SAMPLE_MEDIUM_DIR);
    QProcess setup;
    setup.setWorkingDirectory(medium);
    setup.setStandardOutputFile(QProcess::nullDevice());
    timer.start();
    setup.start(QString::fromLocal8Bit(SETUP_EXE),
                {u"--unattended"_s, u"--location"_s, work.filePath(u"install"_s)});
    const bool ok = setup.waitForFinished(-1) && setup.exitCode() == 0;
    const qint64 took = timer.nsecsElapsed();
    std::printf("\nwhole install of the sample medium %8.3f s%s\n", static_cast<double>(took) / 1e9,
                ok ? "" : " (FAILED)");
  }
  return 0;
}
