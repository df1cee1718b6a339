#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include "qtprinters.h"

// A fresh copy of the sample game in a temporary folder, removed at the end of the test.
class SampleDir {
 public:
  SampleDir();
  // The game folder, ending in the separator, as the editor keeps it.
  QString Folder() const;
  QString Path(const QString& relative) const;
  QString TemplatesPath() const { return Path(QStringLiteral("data/bin/templates.bin")); }
  QByteArray TemplatesBytes() const;
  void WriteTemplates(const QByteArray& bytes) const;
  bool ok() const { return ok_; }

 private:
  QTemporaryDir dir_;
  bool ok_ = false;
};

QByteArray ReadAll(const QString& path);
bool WriteAll(const QString& path, const QByteArray& bytes);
