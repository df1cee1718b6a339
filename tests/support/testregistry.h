#pragma once

#include "registry.h"
#include "registrynames.h"

#include <QString>
#include <QTemporaryDir>
#include <QUuid>

#ifdef _WIN32
#include <windows.h>
#else
#include <QFile>
#endif

// The registry one test works on, the platform's own kind: on Windows a sandbox key in the
// system registry (removed when the test ends), elsewhere the text files in a folder of its own.
class TestRegistry {
 public:
  TestRegistry() = default;
  TestRegistry(const TestRegistry&) = delete;
  TestRegistry& operator=(const TestRegistry&) = delete;
#ifdef _WIN32
  ~TestRegistry() {
    RegDeleteTreeW(HKEY_CURRENT_USER, Wide(sandbox_));
  }
#endif

  bool ok() const {
    return folder_.isValid();
  }
  // The folder of the settings files (elsewhere than Windows).
  QString Folder() const {
    return folder_.path();
  }

  // A new accessor on the same store, as the next start of the program would make.
  std::unique_ptr<Registry> Fresh() const {
#ifdef _WIN32
    return MakeSystemRegistry(sandbox_);
#else
    return MakeFileRegistry(folder_.path());
#endif
  }

  // The machine's registry names the game as installed at `installPath`.
  bool InstallGame(const QString& installPath) const {
#ifdef _WIN32
    const QString key = sandbox_ + QStringLiteral("\\HKEY_LOCAL_MACHINE\\") + kGameKey;
    return RegSetKeyValueW(HKEY_CURRENT_USER, Wide(key), Wide(kInstallPathValue), REG_SZ,
                           installPath.utf16(),
                           DWORD((installPath.size() + 1) * 2)) == ERROR_SUCCESS;
#else
    QFile file(folder_.filePath(QStringLiteral("HKLM.reg")));
    if (!file.open(QIODevice::WriteOnly)) return false;
    QString escaped = installPath;
    escaped.replace(QStringLiteral("\\"), QStringLiteral("\\\\"));
    const QByteArray text =
        QStringLiteral("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\%1]\r\n\"%2\"=\"%3\"\r\n")
            .arg(kGameKey, kInstallPathValue, escaped)
            .toUtf8();
    return file.write(text) == text.size();
#endif
  }

 private:
#ifdef _WIN32
  static const wchar_t* Wide(const QString& text) {
    return reinterpret_cast<const wchar_t*>(text.utf16());
  }
  QString sandbox_ = QStringLiteral("Software\\Saltmarch98 tests\\") +
                     QUuid::createUuid().toString(QUuid::WithoutBraces);
#endif
  QTemporaryDir folder_;
};
