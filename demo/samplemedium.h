#pragma once

#include <QString>
#include <QStringList>

// A sample install medium for setup: the script "VOVIVADU.ZED" and the files it names, made
// from the programs given and the sample game. The first program is split in two pieces, the
// second of which lies on disk 2 (the DISK0002 folder); the rest of the files are compressed
// with mscompress, except a few small ones that pass through plain. The script uses every kind
// of command and has remarks between its strings.
namespace SampleMedium {

struct Options {
  QString folder;           // the medium, made afresh
  QString defaultLocation;  // what the script proposes
  QStringList programs;     // installed into the location under their own names
  QString mscompress = QStringLiteral("mscompress");  // empty: files are stored uncompressed
  QString strip;  // when set, programs are stripped of symbols before they are packed
};

// Writes the medium; gives an empty text or what went wrong.
QString Write(const Options& options);

// The programs' installed names and the sample game's files, relative to the location, as the
// medium installs them (the post-install log aside).
QStringList InstalledFiles(const Options& options);

}  // namespace SampleMedium
