#include "samplemedium.h"

#include "samplegame.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

using namespace Qt::Literals::StringLiterals;

namespace SampleMedium {
namespace {

// The name a compressed file gets on the medium: its last letter replaced by "_".
QString PackedName(const QString& name) {
  return name.toUpper().chopped(1) + u'_';
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class Maker {
 public:
  explicit Maker(const Options& options) : options_(options) {}

  QString Write() {
    QDir(options_.folder).removeRecursively();
    if (!QDir().mkpath(options_.folder + u"/DISK0002"_s) || !work_.isValid()) {
      return u"cannot make the folder "_s + options_.folder;
    }
    const QString game = work_.filePath(u"game"_s);
    if (!SampleGame::Write(game) || !SampleGame::WriteAnimation(work_.filePath(u"sm.dat"_s))) {
      return u"cannot write the sample game"_s;
    }

    Remark(
        u"Saltmarch 98 - install script of the sample medium.\n"
        u"Only the text in double quotes counts; everything else, like this, is a remark.\n"
        u"First the product, the proposed location, the space it needs (bytes) and the file\n"
        u"that betrays an earlier installation; then one command per string."_s);
    const QString main = QFileInfo(options_.programs.value(0)).fileName();
    String(u"Saltmarch 98"_s);
    String(options_.defaultLocation);
    const qsizetype spaceAt = script_.size();
    String(u"0"_s);
    String(main);

    Remark(
        u"Folders: the program's own, its backup folder (new installations only) and the\n"
        u"sample game beside it."_s);
    String(u"M:@I\\sample-game"_s);
    String(u"M:@I\\sample-game\\data"_s);
    String(u"M:@I\\sample-game\\data\\bin"_s);
    String(u"M:@I\\sample-game\\data\\ui_gfx"_s);
    String(u"oM:@I\\backup"_s);
    String(u"C:@I"_s);

    Remark(u"The editor comes in two pieces; the second one is on disk 2."_s);
    if (QString error = Program(options_.programs.value(0), true); !error.isEmpty()) return error;
    for (qsizetype i = 1; i < options_.programs.size(); ++i) {
      if (QString error = Program(options_.programs[i], false); !error.isEmpty()) return error;
    }
    if (QString error = Packed(work_.filePath(u"sm.dat"_s), u"sm.dat"_s); !error.isEmpty())
      return error;
    if (QString error = Text(u"README.TXT"_s, Readme()); !error.isEmpty()) return error;

    Remark(u"The sample game, for trying the editor without the game."_s);
    String(u"C:sample-game"_s);
    if (QString error = Packed(game + u"/Dune2000.exe"_s, u"Dune2000.exe"_s); !error.isEmpty())
      return error;
    String(u"C:data\\bin"_s);
    if (QString error = Packed(game + u"/data/bin/templates.bin"_s, u"templates.bin"_s);
        !error.isEmpty())
      return error;
    String(u"C:@I\\sample-game\\data\\ui_gfx"_s);
    QStringList pictures = QDir(game + u"/data/ui_gfx"_s).entryList(QDir::Files, QDir::Name);
    for (const QString& picture : pictures) {
      if (QString error = Packed(game + u"/data/ui_gfx/"_s + picture, picture); !error.isEmpty())
        return error;
    }

    Remark(
        u"Back in the program's folder: an update drops the old log first; then the\n"
        u"desktop link, and the post-install step, which writes the new log."_s);
    String(u"C:@I"_s);
    String(u"uD:INSTALL.LOG"_s);
    if (QString error = Text(u"POSTINST.SH"_s, PostInstall()); !error.isEmpty()) return error;
    String(u"L:"_s + main);
    String(u"X:POSTINST.SH!Saltmarch 98"_s);

    // The space needed: everything expanded, and some room.
    script_.replace(spaceAt, 3, u"\""_s + QString::number(expanded_ + 64 * 1024) + u"\""_s);
    if (!WriteFile(options_.folder + u"/VOVIVADU.ZED"_s, script_.toUtf8())) {
      return u"cannot write the script"_s;
    }
    return {};
  }

 private:
  void Remark(const QString& text) { script_ += u"\n"_s + text + u"\n"_s; }
  void String(const QString& text) { script_ += u"\""_s + text + u"\"\n"_s; }

  // Compresses `bytes` with mscompress; gives the compressed bytes, empty on failure. Without
  // a compressor the bytes go on the medium as they are, which the expander passes through.
  QByteArray Compress(const QByteArray& bytes) {
    if (options_.mscompress.isEmpty()) return bytes;
    const QString path = work_.filePath(u"packing/data"_s);
    QDir().mkpath(work_.filePath(u"packing"_s));
    QFile::remove(path);
    QFile::remove(path + u'_');
    if (!WriteFile(path, bytes)) return {};
    QProcess tool;
    tool.start(options_.mscompress, {path});
    if (!tool.waitForFinished(-1) || tool.exitStatus() != QProcess::NormalExit ||
        tool.exitCode() != 0) {
      return {};
    }
    return ReadFile(path + u'_');
  }

  // E: one file, compressed on the medium.
  QString Packed(const QString& source, const QString& installedName) {
    const QByteArray bytes = ReadFile(source);
    // mscompress loses the bytes of files shorter than 16; those go on the medium as they are.
    const bool plain = bytes.size() < 16 || options_.mscompress.isEmpty();
    const QByteArray stored = plain ? bytes : Compress(bytes);
    if (stored.isEmpty() && !bytes.isEmpty()) return u"cannot compress "_s + source;
    const QString name = plain ? installedName.toUpper() : PackedName(installedName);
    if (!WriteFile(options_.folder + u'/' + name, stored)) return u"cannot write "_s + name;
    String(u"E:"_s + name + u">"_s + installedName);
    expanded_ += bytes.size();
    return {};
  }

  QString Text(const QString& name, const QByteArray& bytes) {
    const QString path = work_.filePath(name);
    if (!WriteFile(path, bytes)) return u"cannot write "_s + name;
    return Packed(path, name);
  }

  QString Program(const QString& path, bool split) {
    QByteArray bytes = Stripped(path);
    if (bytes.isEmpty()) return u"cannot read the program "_s + path;
    const QString name = QFileInfo(path).fileName();
    if (!split) {
      const QString copy = work_.filePath(name);
      if (!WriteFile(copy, bytes)) return u"cannot write "_s + copy;
      return Packed(copy, name);
    }
    // Two pieces, each compressed: NAME.001 here, NAME.002 on disk 2.
    const QString stem = name.toUpper();
    const qsizetype half = bytes.size() / 2;
    const QByteArray first = Compress(bytes.left(half));
    const QByteArray second = Compress(bytes.mid(half));
    if (first.isEmpty() || second.isEmpty()) return u"cannot compress "_s + path;
    if (!WriteFile(options_.folder + u'/' + stem + u".001"_s, first) ||
        !WriteFile(options_.folder + u"/DISK0002/"_s + stem + u".002"_s, second)) {
      return u"cannot write the pieces of "_s + name;
    }
    String(u"S:2!"_s + stem + u".EX_>"_s + name);
    expanded_ += bytes.size();
    return {};
  }

  QByteArray Stripped(const QString& path) {
    if (options_.strip.isEmpty()) return ReadFile(path);
    const QString out = work_.filePath(u"stripped"_s);
    QFile::remove(out);
    QProcess tool;
    tool.start(options_.strip, {u"-o"_s, out, path});
    if (tool.waitForFinished(-1) && tool.exitStatus() == QProcess::NormalExit &&
        tool.exitCode() == 0) {
      return ReadFile(out);
    }
    return ReadFile(path);
  }

  static QByteArray Readme() {
    return "Saltmarch 98 - an editor for the unit statistics of Dune2000.\n\n"
           "This folder holds the editor and a made-up sample game (sample-game) to try it\n"
           "without the game. Start the editor, choose the sample game's folder when it asks\n"
           "for the game, and change the units to your liking.\n\n"
           "INSTALL.LOG tells where this installation came from.\n";
  }

  // The program that setup runs at the end: it gets the product, the medium, the location
  // and the mode letter, and writes them down.
  static QByteArray PostInstall() {
    return "#!/bin/sh\n"
           "# Run by setup: $1 product, $2 install medium, $3 location, $4 O (new) or U (update)\n"
           "if [ \"$4\" = U ]; then kind=Update; else kind=\"New installation\"; fi\n"
           "printf '%s of %s\\nfrom %s\\ninto %s\\n' \"$kind\" \"$1\" \"$2\" \"$3\" > "
           "INSTALL.LOG\n";
  }

  const Options& options_;
  QTemporaryDir work_;
  QString script_;
  qint64 expanded_ = 0;
};

}  // namespace

QString Write(const Options& options) {
  if (options.programs.isEmpty()) return u"no program to install"_s;
  return Maker(options).Write();
}

QStringList InstalledFiles(const Options& options) {
  QStringList files;
  for (const QString& program : options.programs) files << QFileInfo(program).fileName();
  files << u"sm.dat"_s << u"README.TXT"_s << u"POSTINST.SH"_s << u"INSTALL.LOG"_s
        << u"sample-game/Dune2000.exe"_s << u"sample-game/data/bin/templates.bin"_s;
  return files;
}

}  // namespace SampleMedium
