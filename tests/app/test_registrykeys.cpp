#include "appfixture.h"
#include "sampleregistry.h"
#include "stagedfile.h"
#include "winepaths.h"

#include <QFile>

#include <cerrno>

#ifdef _WIN32
#include <windows.h>
#endif

using namespace Qt::Literals::StringLiterals;

namespace {

using RegistryTest = AppFixture;

// Tests of the settings kept in text files, which only exist where there is no system registry.
#ifdef _WIN32
#define SKIP_WITHOUT_SETTINGS_FILES() GTEST_SKIP() << "Windows keeps the settings in its registry"
#else
#define SKIP_WITHOUT_SETTINGS_FILES() (void)0
#endif

QByteArray FileBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST_F(RegistryTest, ValuesKeepTheirTypesAcrossASaveAndALoad) {
  EXPECT_TRUE(RegWriteString(RegRoot::CurrentUser, kOwnKey, kGameFolderValue,
                             QStringLiteral("/games/d2k/")));
  EXPECT_TRUE(RegWriteInteger(RegRoot::CurrentUser, kOwnKey, kNoBackupWarnValue, 0));
  EXPECT_TRUE(RegWriteInteger(RegRoot::CurrentUser, kHintsKey, HintValue(1), -2));

  SetRegAccessor(registry.Fresh());  // as the next start would
  EXPECT_EQ(RegReadString(RegRoot::CurrentUser, kOwnKey, kGameFolderValue, {}),
            QStringLiteral("/games/d2k/"));
  EXPECT_EQ(RegReadInteger(RegRoot::CurrentUser, kOwnKey, kNoBackupWarnValue, 1), 0);
  EXPECT_EQ(RegReadInteger(RegRoot::CurrentUser, kHintsKey, HintValue(1), 1), -2);
  // The other type reads as the default.
  EXPECT_EQ(RegReadString(RegRoot::CurrentUser, kOwnKey, kNoBackupWarnValue, QStringLiteral("def")),
            QStringLiteral("def"));
  EXPECT_EQ(RegReadInteger(RegRoot::CurrentUser, kOwnKey, kGameFolderValue, 7), 7);
#ifndef _WIN32
  const QByteArray text = FileBytes(registry.Folder() + QStringLiteral("/HKCU.reg"));
  EXPECT_TRUE(text.contains("\"ShowNoBackupWarn\"=dword:00000000"));
  EXPECT_TRUE(text.contains("\"Dune2KLoc\"=\"/games/d2k/\""));
#endif
}

TEST_F(RegistryTest, ReadsFallBackAsTheRoutinesPromise) {
  // No key: the default. Key but no value: empty text for strings, the default for integers.
  EXPECT_EQ(RegReadString(RegRoot::CurrentUser, kOwnKey, kSetupValue, QStringLiteral("def")),
            QStringLiteral("def"));
  EXPECT_FALSE(RegAccessor().KeyExists(RegRoot::CurrentUser, kOwnKey));  // reads create nothing
  RegWriteInteger(RegRoot::CurrentUser, kOwnKey, QStringLiteral("Other"), 1);
  EXPECT_EQ(RegReadString(RegRoot::CurrentUser, kOwnKey, kSetupValue, QStringLiteral("def")),
            QString());
  EXPECT_EQ(RegReadInteger(RegRoot::CurrentUser, kOwnKey, QStringLiteral("Missing"), 5), 5);
}

TEST_F(RegistryTest, TheMachineKeysAreOnlyRead) {
  InstallGameInRegistry(QStringLiteral("/games/d2k/Dune2000.exe"));
  EXPECT_EQ(RegReadString(RegRoot::LocalMachine, kGameKey, kInstallPathValue, {}),
            QStringLiteral("/games/d2k/Dune2000.exe"));
  EXPECT_FALSE(
      RegWriteString(RegRoot::LocalMachine, kGameKey, QStringLiteral("X"), QStringLiteral("y")));
}

TEST_F(RegistryTest, ADamagedSettingsFileIsKeptAsideAndReportedOnce) {
  SKIP_WITHOUT_SETTINGS_FILES();
  const QString file = registry.Folder() + QStringLiteral("/HKCU.reg");
  {
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(
        "REGEDIT4\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Pellworth Software\\Saltmarch98]\r\n"
        "\"Setup\"=\"Compl");
  }
  EXPECT_EQ(RegReadString(RegRoot::CurrentUser, kOwnKey, kSetupValue, {}), QString());
  EXPECT_EQ(RegReadString(RegRoot::CurrentUser, kOwnKey, kGameFolderValue, {}), QString());
  ASSERT_EQ(dialogs.log.size(), 1u);
  EXPECT_EQ(dialogs.log[0].kind, MsgKind::Warning);
  EXPECT_TRUE(dialogs.log[0].text.contains(QStringLiteral("HKCU.reg.damaged")));
  EXPECT_TRUE(QFile::exists(file + QStringLiteral(".damaged")));
  EXPECT_FALSE(QFile::exists(file));
  // The program goes on with a new, sound file.
  EXPECT_TRUE(RegWriteString(RegRoot::CurrentUser, kOwnKey, kSetupValue, kSetupCompleted));
  SetRegAccessor(registry.Fresh());
  EXPECT_EQ(RegReadString(RegRoot::CurrentUser, kOwnKey, kSetupValue, {}), kSetupCompleted);
  EXPECT_EQ(dialogs.log.size(), 1u);
}

TEST_F(RegistryTest, AnInterruptedWriteLeavesTheStoreAsItWas) {
  SKIP_WITHOUT_SETTINGS_FILES();
  RegWriteString(RegRoot::CurrentUser, kOwnKey, kGameFolderValue, QStringLiteral("/a/"));
  const QString file = registry.Folder() + QStringLiteral("/HKCU.reg");
  const QByteArray before = FileBytes(file);
  const auto full = DiskFault::FullAfter(20, kErrorDiskFull);
  EXPECT_FALSE(
      RegWriteString(RegRoot::CurrentUser, kOwnKey, kGameFolderValue, QStringLiteral("/b/")));
  EXPECT_EQ(FileBytes(file), before);
  EXPECT_EQ(QDir(registry.Folder()).entryList(QDir::Files | QDir::Hidden),
            QStringList{QStringLiteral("HKCU.reg")});
  // What the accessor holds did not change either.
  EXPECT_EQ(RegReadString(RegRoot::CurrentUser, kOwnKey, kGameFolderValue, {}),
            QStringLiteral("/a/"));
}

#ifdef _WIN32
// The game is a 32-bit program: its install record is read where it wrote it, in the 32-bit view
// of the machine's registry, whatever the 64-bit view holds.
TEST(SystemRegistry, TheGameIsReadInThe32BitView) {
  const auto software = [](REGSAM view) {
    HKEY h = nullptr;
    RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE", 0, KEY_ALL_ACCESS | view, &h);
    return h;
  };
  HKEY views[] = {software(KEY_WOW64_32KEY), software(KEY_WOW64_64KEY)};
  ASSERT_TRUE(views[0] && views[1]);
  const auto cleanUp = [&] {
    for (HKEY h : views) {
      RegDeleteTreeW(h, L"Westwood");
      RegCloseKey(h);
    }
  };
  HKEY existing = nullptr;
  for (HKEY h : views) {
    if (RegOpenKeyExW(h, L"Westwood", 0, KEY_READ, &existing) == ERROR_SUCCESS) {
      RegCloseKey(existing);
      for (HKEY v : views) RegCloseKey(v);
      GTEST_SKIP() << "a Westwood game is installed here: its keys are left alone";
    }
  }
  const auto set = [](HKEY h, const wchar_t* text) {
    return RegSetKeyValueW(h, L"Westwood\\Dune 2000", L"InstallPath", REG_SZ, text,
                           DWORD((wcslen(text) + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
  };
  EXPECT_TRUE(set(views[0], L"C:\\Westwood\\Dune2000\\Dune2000.exe"));
  EXPECT_TRUE(set(views[1], L"C:\\Elsewhere\\Dune2000.exe"));

  const auto registry = MakeSystemRegistry();
  const auto value = registry->Read(RegRoot::LocalMachine, kGameKey, kInstallPathValue);
  const auto origin = registry->Origin(RegRoot::LocalMachine, kGameKey, kInstallPathValue);
  EXPECT_TRUE(registry->KeyExists(RegRoot::LocalMachine, kGameKey));
  EXPECT_FALSE(registry->Write(RegRoot::LocalMachine, kGameKey, u"X"_s, RegValue::Dword(1)));
  cleanUp();
  ASSERT_TRUE(value && origin);
  EXPECT_EQ(value->text, u"C:\\Westwood\\Dune2000\\Dune2000.exe"_s);
  EXPECT_EQ(origin->key, u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Westwood\\Dune 2000"_s);
  EXPECT_EQ(origin->stored, value->text);
  EXPECT_TRUE(origin->file.isEmpty());
  EXPECT_FALSE(registry->KeyExists(RegRoot::LocalMachine, kGameKey));
}
#endif

// A Wine prefix as wineboot leaves it: drive c: and z: in dosdevices, registry files beside.
class FakePrefix {
 public:
  FakePrefix() {
    QDir root(dir_.path());
    root.mkpath(u"drive_c/users/me/Desktop"_s);
    root.mkpath(u"dosdevices"_s);
    QFile::link(u"../drive_c"_s, Path(u"dosdevices/c:"_s));
    QFile::link(u"/"_s, Path(u"dosdevices/z:"_s));
  }
  QString Path(const QString& relative = {}) const {
    return relative.isEmpty() ? dir_.path() : dir_.filePath(relative);
  }
  QString Canonical(const QString& relative) const {
    return QFileInfo(Path(relative)).canonicalFilePath();
  }
  void Write(const QString& name, const QByteArray& text) const { WriteAll(Path(name), text); }
  void Use() const { qputenv("WINEPREFIX", dir_.path().toLocal8Bit()); }

 private:
  QTemporaryDir dir_;
};

struct WineRegistryTest : AppFixture {
  void SetUp() override {
#ifdef _WIN32
    GTEST_SKIP() << "about Wine prefixes seen from outside Windows";
#endif
    AppFixture::SetUp();
  }
  void TearDown() override {
    qunsetenv("WINEPREFIX");
    AppFixture::TearDown();
  }
  QString InstallPath() {
    return RegReadString(RegRoot::LocalMachine, kGameKey, kInstallPathValue, {});
  }
  FakePrefix prefix;
};

TEST_F(WineRegistryTest, AGameInstalledWithWineIsFoundThroughThePrefix) {
  ASSERT_TRUE(QDir().mkpath(prefix.Path(u"drive_c/Westwood/Dune2000"_s)));
  WriteAll(prefix.Path(u"drive_c/Westwood/Dune2000/Dune2000.exe"_s), "MZ");
  // The real shape and size of a fresh 64-bit prefix, the key in the 32-bit view.
  prefix.Write(u"system.reg"_s,
               SampleRegistry::WineSystemReg(9000, u"C:\\westwood\\DUNE2000\\Dune2000.exe"_s));
  prefix.Use();
  EXPECT_EQ(InstallPath(), prefix.Canonical(u"drive_c/Westwood/Dune2000"_s) + u"/Dune2000.exe"_s);
  const auto origin = RegAccessor().Origin(RegRoot::LocalMachine, kGameKey, kInstallPathValue);
  ASSERT_TRUE(origin);
  EXPECT_EQ(origin->file, prefix.Path(u"system.reg"_s));
  EXPECT_EQ(origin->winePrefix, prefix.Path());
  EXPECT_EQ(origin->stored, u"C:\\westwood\\DUNE2000\\Dune2000.exe"_s);
}

TEST_F(WineRegistryTest, EachPrefixArchitectureHasItsOwnViewFirst) {
  const QByteArray plain =
      "[Software\\\\Westwood\\\\Dune 2000] 1\n\"InstallPath\"=\"Z:\\\\plain\\\\x.exe\"\n";
  const QByteArray wow =
      "[Software\\\\Wow6432Node\\\\Westwood\\\\Dune 2000] 1\n"
      "\"InstallPath\"=\"Z:\\\\wow\\\\x.exe\"\n";
  prefix.Use();
  prefix.Write(u"system.reg"_s, "WINE REGISTRY Version 2\n#arch=win64\n" + plain + wow);
  EXPECT_EQ(InstallPath(), u"/wow/x.exe"_s);  // z: is the root folder
  prefix.Write(u"system.reg"_s, "WINE REGISTRY Version 2\n#arch=win32\n\n" + plain + wow);
  EXPECT_EQ(InstallPath(), u"/plain/x.exe"_s);
  // Either view stands in for the other.
  prefix.Write(u"system.reg"_s, "WINE REGISTRY Version 2\n#arch=win32\n" + wow);
  EXPECT_EQ(InstallPath(), u"/wow/x.exe"_s);
}

TEST_F(WineRegistryTest, WithoutWineprefixTheHomePrefixIsRead) {
  QTemporaryDir home;
  QDir(home.path()).mkpath(u".wine"_s);
  WriteAll(home.filePath(u".wine/system.reg"_s),
           "WINE REGISTRY Version 2\n[Software\\\\Westwood\\\\Dune 2000] 1\n"
           "\"InstallPath\"=\"D:\\\\Dune2000.exe\"\n");
  QDir(home.path()).mkpath(u".wine/dosdevices"_s);
  const QByteArray oldHome = qgetenv("HOME");
  qunsetenv("WINEPREFIX");
  qputenv("HOME", home.path().toLocal8Bit());
  const QString path = InstallPath();
  qputenv("HOME", oldHome);
  EXPECT_EQ(path, u"D:\\Dune2000.exe"_s);  // the prefix has no d:
}

TEST_F(WineRegistryTest, TheMachineFileIsReadAgainOnlyWhenItChanged) {
  prefix.Use();
  prefix.Write(u"system.reg"_s, SampleRegistry::WineSystemReg(50, u"Z:\\one\\x.exe"_s));
  const auto first = ReadOnlyRegistryFile(prefix.Path(u"system.reg"_s), u"HKEY_LOCAL_MACHINE"_s);
  EXPECT_EQ(InstallPath(), u"/one/x.exe"_s);
  // Another accessor in the same process shares the index.
  SetRegAccessor(registry.Fresh());
  EXPECT_EQ(InstallPath(), u"/one/x.exe"_s);
  EXPECT_EQ(ReadOnlyRegistryFile(prefix.Path(u"system.reg"_s), u"HKEY_LOCAL_MACHINE"_s), first);
  // Wine rewrites it: the same length, another file.
  const QString next = prefix.Path(u"next.reg"_s);
  WriteAll(next, SampleRegistry::WineSystemReg(50, u"Z:\\two\\x.exe"_s));
  ASSERT_TRUE(QFile::remove(prefix.Path(u"system.reg"_s)) &&
              QFile::rename(next, prefix.Path(u"system.reg"_s)));
  EXPECT_EQ(InstallPath(), u"/two/x.exe"_s);
  // An HKLM.reg beside the settings wins over the prefix.
  InstallGameInRegistry(u"/own/x.exe"_s);
  EXPECT_EQ(InstallPath(), u"/own/x.exe"_s);
}

TEST_F(WineRegistryTest, ThePrefixsDesktopComesFromUserReg) {
  prefix.Use();
  EXPECT_EQ(WineDesktopFolder(), QString());  // no user.reg
  prefix.Write(u"user.reg"_s,
               "WINE REGISTRY Version 2\n"
               "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\"
               "Shell Folders] 1\n\"Desktop\"=\"C:\\\\users\\\\me\\\\desktop\"\n");
  EXPECT_EQ(WineDesktopFolder(), prefix.Canonical(u"drive_c/users/me/Desktop"_s));
  QDir(prefix.Path(u"drive_c/users/me/Desktop"_s)).removeRecursively();
  EXPECT_EQ(WineDesktopFolder(), QString());  // a folder that is not there is no desktop
}

TEST_F(RegistryTest, AnOversizedSettingsFileIsSetAsideUnread) {
  SKIP_WITHOUT_SETTINGS_FILES();
  const QString file = registry.Folder() + u"/HKCU.reg"_s;
  WriteAll(file, "REGEDIT4\r\n");
  ASSERT_TRUE(QFile::resize(file, kMaxSettingsFileBytes + 1));  // sparse: nothing to read
  EXPECT_EQ(Own(kSetupValue), u"<default>"_s);
  EXPECT_EQ(Own(kGameFolderValue), u"<default>"_s);
  ASSERT_EQ(dialogs.log.size(), 1u);
  EXPECT_TRUE(dialogs.log[0].text.contains(u"(it is larger than 16 MiB)"_s));
  EXPECT_EQ(QFileInfo(file + u".damaged"_s).size(), kMaxSettingsFileBytes + 1);
  // A name taken by an earlier damaged file is not overwritten.
  WriteAll(file, "junk");
  SetRegAccessor(registry.Fresh());
  EXPECT_EQ(Own(kSetupValue), u"<default>"_s);
  EXPECT_TRUE(QFile::exists(file + u".damaged-2"_s));
  EXPECT_EQ(dialogs.log.size(), 2u);
}

TEST_F(RegistryTest, AStrayByteCostsNothing) {
  SKIP_WITHOUT_SETTINGS_FILES();
  // One byte of another code page, in a line of its own, beside the editor's UTF-8 text.
  const QString file = registry.Folder() + u"/HKCU.reg"_s;
  const QByteArray own = "[HKEY_CURRENT_USER\\SOFTWARE\\Pellworth Software\\Saltmarch98]\r\n";
  const QByteArray folder = "\"Dune2KLoc\"=\"" + game.Folder().toUtf8() + "J\xC3\xBCrgen/\"\r\n";
  const QByteArray stray = "\"BackupLoc\"=\"/b\xFCro/\"\r\n";
  WriteAll(file, "REGEDIT4\r\n\r\n" + own + "\"Setup\"=\"Completed\"\r\n" + folder + stray);
  QDir().mkpath(game.Folder() + u"J\u00FCrgen"_s);
  WriteAll(game.Folder() + u"J\u00FCrgen/Dune2000.exe"_s, "MZ");
  {
    TSaltmarch app;
    EXPECT_EQ(app.GameFolder, game.Folder() + u"J\u00FCrgen/"_s);
    EXPECT_EQ(app.BackupFolder, u"/b\u00FCro/"_s);
    EXPECT_TRUE(dialogs.log.empty());
    app.SaveLocations();
  }
  const QByteArray after = ReadAll(file);
  EXPECT_TRUE(after.contains(folder)) << after.toStdString();
  EXPECT_TRUE(after.contains(stray));
}

TEST_F(RegistryTest, ASettingsFileChangedOnDiskIsReadAgain) {
  RegWriteString(RegRoot::CurrentUser, kOwnKey, kGameFolderValue, u"/a/"_s);
  EXPECT_EQ(Own(kGameFolderValue), u"/a/"_s);
  // Another copy of the editor saves its folders meanwhile.
  auto other = registry.Fresh();
  other->Write(RegRoot::CurrentUser, kOwnKey, kGameFolderValue, RegValue::String(u"/other/"_s));
  EXPECT_EQ(Own(kGameFolderValue), u"/other/"_s);
  RegWriteString(RegRoot::CurrentUser, kOwnKey, kBackupFolderValue, u"/b/"_s);
  EXPECT_EQ(other->Read(RegRoot::CurrentUser, kOwnKey, kGameFolderValue)->text, u"/other/"_s);
}

TEST(WinePaths, MapOnlyDrivesThePrefixKnows) {
#ifdef _WIN32
  GTEST_SKIP() << "about Wine prefixes seen from outside Windows";
#endif
  FakePrefix prefix;
  QDir().mkpath(prefix.Path(u"elsewhere/Games"_s));
  QFile::link(prefix.Path(u"elsewhere"_s), prefix.Path(u"dosdevices/e:"_s));
  prefix.Use();
  const QString c = prefix.Canonical(u"drive_c"_s);
  EXPECT_EQ(MapWindowsPath(QStringLiteral("c:\\Games\\x.exe")), c + QStringLiteral("/Games/x.exe"));
  EXPECT_EQ(MapWindowsPath(QStringLiteral("D:\\Games\\x.exe")), QStringLiteral("D:\\Games\\x.exe"));
  EXPECT_EQ(MapWindowsPath(QStringLiteral("/already/unix")), QStringLiteral("/already/unix"));
  // Any letter; existing names take their case on disk, a folder keeps its separator.
  EXPECT_EQ(MapWindowsPath(u"E:\\GAMES\\"_s), prefix.Canonical(u"elsewhere/Games"_s) + u'/');
  EXPECT_EQ(MapWindowsPath(u"c:\\USERS\\Me"_s), c + u"/users/me"_s);
  qunsetenv("WINEPREFIX");
}

}  // namespace
