#include "outputfile.h"

#include "paths.h"
#include "stagedfile.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

bool WriteOutputFile(const QString& path, const QByteArray& bytes, QString& problem) {
  QString target = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
  // A mod kept through a link (a dotfile manager's, a shared folder) is updated where it lives.
  if (const QFileInfo link(target); link.isSymLink() && !link.canonicalFilePath().isEmpty())
    target = link.canonicalFilePath();
  target = QDir::toNativeSeparators(target);
  Place place = Reach(target);
#ifndef _WIN32
  // The game's names are found whatever their letter case, but here "Mod.json" is not
  // "mod.json": the file asked for must not turn into another one.
  if (place.Reached() && place.Path() != target) {
    problem =
        u"%1 would be written as %2, whose name differs in letter case; nothing was "
        u"written"_s.arg(path, place.Path());
    return false;
  }
#endif
  StagedFile file(std::move(place), StagedFile::Takes::WritableFileOnly);
  switch (file.Open()) {
    case StagedFile::Opened::NotAFile:
      problem =
          u"%1 is not a regular file; it is left as it is and nothing was written"_s.arg(path);
      return false;
    case StagedFile::Opened::Failed:
      problem = u"Can't write %1: %2"_s.arg(path, SystemErrorText(file.Error()));
      return false;
    case StagedFile::Opened::Ready:
      break;
  }
  if (file.Write(bytes.constData(), bytes.size()) && file.Commit()) return true;
  problem = u"Can't write %1: %2; it is left as it was"_s.arg(path, SystemErrorText(file.Error()));
  return false;
}
