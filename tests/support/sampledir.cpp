#include "sampledir.h"

#include "paths.h"
#include "samplegame.h"

#include <QFile>

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteAll(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

SampleDir::SampleDir() {
  ok_ = dir_.isValid() && SampleGame::Write(dir_.path());
}

QString SampleDir::Folder() const {
  return WithTrailingSeparator(dir_.path());
}

QString SampleDir::Path(const QString& relative) const {
  return dir_.filePath(relative);
}

QByteArray SampleDir::TemplatesBytes() const {
  return ReadAll(TemplatesPath());
}

void SampleDir::WriteTemplates(const QByteArray& bytes) const {
  WriteAll(TemplatesPath(), bytes);
}
