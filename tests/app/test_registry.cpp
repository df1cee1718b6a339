#include "appfixture.h"
#include "atomicfile.h"
#include "winepaths.h"

#include <QFile>

#include <cerrno>

namespace {

using RegistryTest = AppFixture;

QByteArray FileBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST_F(RegistryTest, ValuesKeepTheirTypesAcrossASaveAndALoad) {
  EXPECT_TRUE(RegWriteString(RegRoot::CurrentUser, kOwnKey, QStringLiteral("Dune2KLoc"),
                             QStringLiteral("/games/d2k/")));
  EXPECT_TRUE(
      RegWriteInteger(RegRoot::CurrentUser, kOwnKey, QStringLiteral("ShowNoBackupWarn"), 0));
  EXPECT_TRUE(RegWriteInteger(RegRoot::CurrentUser, kHintsKey, QStringLiteral("Hint1"), -2));

  SetRegAccessor(MakeFileRegistry(registryDir.path()));  // as the next start would
  EXPECT_EQ(RegReadString(RegRoot::CurrentUser, kOwnKey, QStringLiteral("Dune2KLoc"), {}),
            QStringLiteral("/games/d2k/"));
  EXPECT_EQ(RegReadInteger(RegRoot::CurrentUser, kOwnKey, QStringLiteral("ShowNoBackupWarn"), 1),
            0);
  EXPECT_EQ(RegReadInteger(RegRoot::CurrentUser, kHintsKey, QStringLiteral("Hint1"), 1), -2);
  // The other type reads as the default.
  EXPECT_EQ(RegReadString(RegRoot::CurrentUser, kOwnKey, QStringLiteral("ShowNoBackupWarn"),
                          QStringLiteral("def")),
            QStringLiteral("def"));
  EXPECT_EQ(RegReadInteger(RegRoot::CurrentUser, kOwnKey, QStringLiteral("Dune2KLoc"), 7), 7);
  const QByteArray text = FileBytes(registryDir.filePath(QStringLiteral("HKCU.reg")));
  EXPECT_TRUE(text.contains("\"ShowNoBackupWarn\"=dword:00000000"));
  EXPECT_TRUE(text.contains("\"Dune2KLoc\"=\"/games/d2k/\""));
}

TEST_F(RegistryTest, ReadsFallBackAsTheRoutinesPromise) {
  // No key: the default. Key but no value: empty text for strings, the default for integers.
  EXPECT_EQ(
      RegReadString(RegRoot::CurrentUser, kOwnKey, QStringLiteral("Setup"), QStringLiteral("def")),
      QStringLiteral("def"));
  EXPECT_FALSE(RegAccessor().KeyExists(RegRoot::CurrentUser, kOwnKey));  // reads create nothing
  RegWriteInteger(RegRoot::CurrentUser, kOwnKey, QStringLiteral("Other"), 1);
  EXPECT_EQ(
      RegReadString(RegRoot::CurrentUser, kOwnKey, QStringLiteral("Setup"), QStringLiteral("def")),
      QString());
  EXPECT_EQ(RegReadInteger(RegRoot::CurrentUser, kOwnKey, QStringLiteral("Missing"), 5), 5);
}

TEST_F(RegistryTest, TheMachineKeysAreOnlyRead) {
  InstallGameInRegistry(QStringLiteral("/games/d2k/Dune2000.exe"));
  EXPECT_EQ(RegReadString(RegRoot::LocalMachine, kGameKey, QStringLiteral("InstallPath"), {}),
            QStringLiteral("/games/d2k/Dune2000.exe"));
  EXPECT_FALSE(
      RegWriteString(RegRoot::LocalMachine, kGameKey, QStringLiteral("X"), QStringLiteral("y")));
}

TEST_F(RegistryTest, ADamagedSettingsFileIsKeptAsideAndReportedOnce) {
  const QString file = registryDir.filePath(QStringLiteral("HKCU.reg"));
  {
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(
        "REGEDIT4\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Pellworth Software\\Saltmarch98]\r\n"
        "\"Setup\"=\"Compl");
  }
  EXPECT_EQ(RegReadString(RegRoot::CurrentUser, kOwnKey, QStringLiteral("Setup"), {}), QString());
  EXPECT_EQ(RegReadString(RegRoot::CurrentUser, kOwnKey, QStringLiteral("Dune2KLoc"), {}),
            QString());
  ASSERT_EQ(dialogs.log.size(), 1u);
  EXPECT_EQ(dialogs.log[0].kind, MsgKind::Warning);
  EXPECT_TRUE(dialogs.log[0].text.contains(QStringLiteral("HKCU.reg.damaged")));
  EXPECT_TRUE(QFile::exists(file + QStringLiteral(".damaged")));
  EXPECT_FALSE(QFile::exists(file));
  // The program goes on with a new, sound file.
  EXPECT_TRUE(RegWriteString(RegRoot::CurrentUser, kOwnKey, QStringLiteral("Setup"),
                             QStringLiteral("Completed")));
  SetRegAccessor(MakeFileRegistry(registryDir.path()));
  EXPECT_EQ(RegReadString(RegRoot::CurrentUser, kOwnKey, QStringLiteral("Setup"), {}),
            QStringLiteral("Completed"));
  EXPECT_EQ(dialogs.log.size(), 1u);
}

TEST_F(RegistryTest, AnInterruptedWriteLeavesTheStoreAsItWas) {
  RegWriteString(RegRoot::CurrentUser, kOwnKey, QStringLiteral("Dune2KLoc"), QStringLiteral("/a/"));
  const QString file = registryDir.filePath(QStringLiteral("HKCU.reg"));
  const QByteArray before = FileBytes(file);
  FailNextAtomicWriteForTesting(20, ENOSPC);
  EXPECT_FALSE(RegWriteString(RegRoot::CurrentUser, kOwnKey, QStringLiteral("Dune2KLoc"),
                              QStringLiteral("/b/")));
  EXPECT_EQ(FileBytes(file), before);
  EXPECT_EQ(QDir(registryDir.path()).entryList(QDir::Files | QDir::Hidden),
            QStringList{QStringLiteral("HKCU.reg")});
  // What the accessor holds did not change either.
  EXPECT_EQ(RegReadString(RegRoot::CurrentUser, kOwnKey, QStringLiteral("Dune2KLoc"), {}),
            QStringLiteral("/a/"));
}

TEST_F(RegistryTest, AGameInstalledWithWineIsFoundThroughThePrefix) {
  QTemporaryDir prefix;
  QDir root(prefix.path());
  ASSERT_TRUE(root.mkpath(QStringLiteral("drive_c/Westwood/Dune2000")));
  ASSERT_TRUE(root.mkpath(QStringLiteral("dosdevices")));
  ASSERT_TRUE(
      QFile::link(QStringLiteral("../drive_c"), prefix.filePath(QStringLiteral("dosdevices/c:"))));
  QFile reg(prefix.filePath(QStringLiteral("system.reg")));
  ASSERT_TRUE(reg.open(QIODevice::WriteOnly));
  reg.write(
      "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n"
      "[Software\\\\Wow6432Node\\\\Westwood\\\\Dune 2000] 1700000000\n"
      "\"InstallPath\"=\"C:\\\\Westwood\\\\Dune2000\\\\Dune2000.exe\"\n");
  reg.close();
  qputenv("WINEPREFIX", prefix.path().toLocal8Bit());
  SetRegAccessor(MakeFileRegistry(registryDir.path()));
  const QString path =
      RegReadString(RegRoot::LocalMachine, kGameKey, QStringLiteral("InstallPath"), {});
  qunsetenv("WINEPREFIX");
  EXPECT_EQ(path, QDir(prefix.path()).canonicalPath() +
                      QStringLiteral("/drive_c/Westwood/Dune2000/Dune2000.exe"));
}

TEST(WinePaths, MapOnlyDrivesThePrefixKnows) {
  QTemporaryDir prefix;
  QDir(prefix.path()).mkpath(QStringLiteral("dosdevices"));
  QDir(prefix.path()).mkpath(QStringLiteral("drive_c"));
  QFile::link(QStringLiteral("../drive_c"), prefix.filePath(QStringLiteral("dosdevices/c:")));
  qputenv("WINEPREFIX", prefix.path().toLocal8Bit());
  const QString c = QDir(prefix.path()).canonicalPath() + QStringLiteral("/drive_c");
  EXPECT_EQ(MapWindowsPath(QStringLiteral("c:\\Games\\x.exe")), c + QStringLiteral("/Games/x.exe"));
  EXPECT_EQ(MapWindowsPath(QStringLiteral("D:\\Games\\x.exe")), QStringLiteral("D:\\Games\\x.exe"));
  EXPECT_EQ(MapWindowsPath(QStringLiteral("/already/unix")), QStringLiteral("/already/unix"));
  qunsetenv("WINEPREFIX");
}

}  // namespace
