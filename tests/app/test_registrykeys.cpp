#include "appfixture.h"
#include "sampleregistry.h"
#include "stagedfile.h"
#include "winepaths.h"

#include <QFile>

#include <cerrno>
#include <functional>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include "otheruser.h"

#include <fcntl.h>
#include <sys/file.h>
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

TEST_F(RegistryTest, AnInterruptedWriteLeavesTheFileAsItWasAndTheValueInMemory) {
  SKIP_WITHOUT_SETTINGS_FILES();
  RegWriteString(RegRoot::CurrentUser, kOwnKey, kGameFolderValue, QStringLiteral("/a/"));
  const QString file = registry.Folder() + QStringLiteral("/HKCU.reg");
  const QByteArray before = FileBytes(file);
  {
    const auto full = DiskFault::FullAfter(20, kErrorDiskFull);
    EXPECT_FALSE(
        RegWriteString(RegRoot::CurrentUser, kOwnKey, kGameFolderValue, QStringLiteral("/b/")));
  }
  EXPECT_EQ(FileBytes(file), before);
  EXPECT_EQ(QDir(registry.Folder()).entryList(QDir::Files | QDir::Hidden),
            QStringList{QStringLiteral("HKCU.reg")});
  ASSERT_EQ(dialogs.log.size(), 1u);
  EXPECT_TRUE(dialogs.log[0].text.contains(
      u"\"%1\" cannot be saved (%2)"_s.arg(file, SystemErrorText(kErrorDiskFull))))
      << dialogs.log[0].text.toStdString();
  // The editor goes on with what it was told, and saves it with the next change.
  EXPECT_EQ(Own(kGameFolderValue), u"/b/"_s);
  EXPECT_TRUE(RegWriteString(RegRoot::CurrentUser, kOwnKey, kBackupFolderValue, u"/c/"_s));
  SetRegAccessor(registry.Fresh());
  EXPECT_EQ(Own(kGameFolderValue), u"/b/"_s);
  EXPECT_EQ(Own(kBackupFolderValue), u"/c/"_s);
}

TEST_F(RegistryTest, TwoEditorsNeverUndoEachOthersSettings) {
  SKIP_WITHOUT_SETTINGS_FILES();
  // Both have read the file before either writes.
  auto first = registry.Fresh();
  auto second = registry.Fresh();
  EXPECT_FALSE(first->Read(RegRoot::CurrentUser, kHintsKey, HintValue(1)));
  EXPECT_FALSE(second->Read(RegRoot::CurrentUser, kHintsKey, HintValue(1)));
  // Each switches its hints off while the other does the same.
  const auto switchOff = [](Registry& editor, int from) {
    for (int n = from; n < from + 40; ++n)
      editor.Write(RegRoot::CurrentUser, kHintsKey, HintValue(n), RegValue::Dword(0));
  };
  std::thread one(switchOff, std::ref(*first), 1);
  std::thread other(switchOff, std::ref(*second), 101);
  one.join();
  other.join();
  SetRegAccessor(registry.Fresh());
  for (int n : {1, 2, 39, 40, 101, 102, 139, 140}) {
    EXPECT_EQ(RegReadInteger(RegRoot::CurrentUser, kHintsKey, HintValue(n), 1), 0) << n;
  }
  EXPECT_TRUE(dialogs.log.empty());
}

TEST_F(RegistryTest, ASettingsFileThatIsALinkIsWrittenWhereItLeads) {
  SKIP_WITHOUT_SETTINGS_FILES();
  // As a dotfile manager keeps it: a relative link to a file in another folder, not made yet.
  QTemporaryDir dotfiles;
  ASSERT_TRUE(QDir(dotfiles.path()).mkpath(u"saltmarch"_s));
  const QString target = dotfiles.filePath(u"saltmarch/HKCU.reg"_s);
  const QString file = registry.Folder() + u"/HKCU.reg"_s;
  ASSERT_TRUE(QFile::link(QDir(registry.Folder()).relativeFilePath(target), file));
  const auto entries = [](const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
  };

  EXPECT_TRUE(RegWriteString(RegRoot::CurrentUser, kOwnKey, kGameFolderValue, u"/a/"_s));
  EXPECT_TRUE(RegWriteString(RegRoot::CurrentUser, kOwnKey, kBackupFolderValue, u"/b/"_s));
  EXPECT_TRUE(QFileInfo(file).isSymLink());
  const QByteArray text = ReadAll(target);
  EXPECT_TRUE(text.contains("\"Dune2KLoc\"=\"/a/\"") && text.contains("\"BackupLoc\"=\"/b/\""))
      << text.toStdString();
  EXPECT_EQ(entries(registry.Folder()), QStringList{u"HKCU.reg"_s});
  EXPECT_EQ(entries(dotfiles.filePath(u"saltmarch"_s)), QStringList{u"HKCU.reg"_s});
  SetRegAccessor(registry.Fresh());
  EXPECT_EQ(Own(kGameFolderValue), u"/a/"_s);

  // Links that lead round in a circle lead nowhere: they stay, and the editor says so.
  ASSERT_TRUE(QFile::remove(file));
  ASSERT_TRUE(QFile::link(file + u".old"_s, file) && QFile::link(file, file + u".old"_s));
  SetRegAccessor(registry.Fresh());
  EXPECT_FALSE(RegWriteString(RegRoot::CurrentUser, kOwnKey, kSetupValue, kSetupCompleted));
  ASSERT_EQ(dialogs.log.size(), 1u);
  EXPECT_TRUE(dialogs.log[0].text.contains(u"(it is a link that leads round in a circle)"_s));
  EXPECT_TRUE(QFileInfo(file).isSymLink());
}

#ifndef _WIN32
// Settings that a user who is not root, their owner or not, may not read or write: the
// permissions of the folder and the file are those that Run gives.
class UnwritableSettingsTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    if (::geteuid() == 0 && ExitStatus(AsAnotherUser([] { return 0; })) == kNoOtherUser)
      GTEST_SKIP() << "run by root, which could not become another user";
    file = registry.Folder() + u"/HKCU.reg"_s;
    SetLaterRun(game.Folder(), u"/backups/"_s);
    before = ReadAll(file);
  }
  void TearDown() override {
    QFile::setPermissions(registry.Folder(), kAll);
    AppFixture::TearDown();
  }
  // Runs `work` as a user who is not root with these permissions; its result.
  template <class Work>
  int Run(QFile::Permissions folder, QFile::Permissions fileMode, Work work) {
    QFile::setPermissions(file, fileMode);
    QFile::setPermissions(registry.Folder(), folder);
    const int status = AsUserWhoIsNotRoot(work);
    QFile::setPermissions(registry.Folder(), kAll);
    QFile::setPermissions(file, kAll);
    return status;
  }
  void ExpectFileKept() const {
    EXPECT_EQ(ReadAll(file), before);
    EXPECT_EQ(QDir(registry.Folder()).entryList(QDir::Files | QDir::Hidden),
              QStringList{u"HKCU.reg"_s});
  }
  // 0 when the dialogs said once, naming the file and `why`, that the settings cannot be saved.
  int ToldOnce(const QString& why) const {
    int told = 0;
    for (const auto& dialog : dialogs.log) {
      if (!dialog.text.contains(u" cannot be saved "_s)) continue;
      if (dialog.kind != MsgKind::Warning) return 11;
      if (!dialog.text.contains(u"\"%1\" cannot be saved (%2)"_s.arg(file, why))) return 12;
      ++told;
    }
    return told == 1 ? 0 : 13;
  }

  static constexpr QFile::Permissions kAll = QFile::ReadOwner | QFile::WriteOwner |
                                             QFile::ExeOwner | QFile::ReadOther |
                                             QFile::WriteOther | QFile::ExeOther;
  static constexpr QFile::Permissions kReadOnly =
      QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
  QString file;
  QByteArray before;
};

TEST_F(UnwritableSettingsTest, AReadOnlyFileIsNeverReplaced) {
  const int status = Run(kAll, kReadOnly, [&] {
    // A change that is there already needs no saving.
    if (!RegWriteString(RegRoot::CurrentUser, kOwnKey, kGameFolderValue, game.Folder())) return 1;
    if (!dialogs.log.empty()) return 2;
    if (RegWriteString(RegRoot::CurrentUser, kOwnKey, kGameFolderValue, u"/other/"_s)) return 3;
    if (RegWriteInteger(RegRoot::CurrentUser, kHintsKey, HintValue(1), 0)) return 4;
    // The editor goes on with what it was told.
    if (Own(kGameFolderValue) != u"/other/"_s) return 5;
    if (RegReadInteger(RegRoot::CurrentUser, kHintsKey, HintValue(1), 1) != 0) return 6;
    return ToldOnce(u"it may not be written: "_s + SystemErrorText(EACCES));
  });
  EXPECT_EQ(status, 0);
  ExpectFileKept();
}

TEST_F(UnwritableSettingsTest, AnUnreadableFileIsNeverReplacedNotEvenOnExit) {
  const int status = Run(kAll, {}, [&] {
    // The editor starts: with its settings unread, this is a first run. No backup.
    SetRegAccessor(registry.Fresh());
    dialogs.Answer(MsgResult::No);
    {
      TSaltmarch app;
      app.SetBackupFolder(u"/chosen/"_s);
      app.SaveLocations();
    }
    if (dialogs.log.empty() || dialogs.log[0].kind != MsgKind::Confirmation) return 1;
    return ToldOnce(u"it cannot be read: "_s + SystemErrorText(EACCES));
  });
  EXPECT_EQ(status, 0);
  ExpectFileKept();
  SetRegAccessor(registry.Fresh());
  EXPECT_EQ(Own(kBackupFolderValue), u"/backups/"_s);
}

TEST_F(UnwritableSettingsTest, AFolderThatTakesNoNewFileIsReportedOnce) {
  // The file itself may be written; only a whole new file is ever put in its place.
  const int status = Run(kReadOnly | QFile::ExeOwner | QFile::ExeOther, kAll, [&] {
    if (RegWriteString(RegRoot::CurrentUser, kOwnKey, kGameFolderValue, u"/other/"_s)) return 1;
    if (RegWriteString(RegRoot::CurrentUser, kOwnKey, kBackupFolderValue, u"/other/"_s)) return 2;
    return ToldOnce(u"its folder \"%1\" takes no new file: %2"_s.arg(registry.Folder(),
                                                                     SystemErrorText(EACCES)));
  });
  EXPECT_EQ(status, 0);
  ExpectFileKept();
}

TEST_F(RegistryTest, AFolderThatCannotBeMadeIsReported) {
  // A file stands where a folder on the way should be: no user can make it.
  const QString blocked = registry.Folder() + u"/blocked"_s;
  ASSERT_TRUE(WriteAll(blocked, "x"));
  SetRegAccessor(MakeFileRegistry(blocked + u"/Saltmarch98"_s));
  EXPECT_FALSE(RegWriteString(RegRoot::CurrentUser, kOwnKey, kSetupValue, kSetupCompleted));
  ASSERT_EQ(dialogs.log.size(), 1u);
  EXPECT_TRUE(dialogs.log[0].text.contains(u"(its folder cannot be made)"_s));
  EXPECT_EQ(ReadAll(blocked), QByteArray("x"));
}

TEST_F(RegistryTest, AnotherProgramsLockIsWaitedForThenReported) {
  // Another copy of the editor saving its settings holds the folder's lock meanwhile.
  const int other =
      ::open(QFile::encodeName(registry.Folder()).constData(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(other, 0);
  ASSERT_EQ(::flock(other, LOCK_EX), 0);
  EXPECT_FALSE(RegWriteString(RegRoot::CurrentUser, kOwnKey, kGameFolderValue, u"/a/"_s));
  ::close(other);
  ASSERT_EQ(dialogs.log.size(), 1u);
  EXPECT_TRUE(dialogs.log[0].text.contains(
      u"(locked by another program; gave up after waiting 5 seconds)"_s));
  // Once it lets go, the change waiting in memory is saved with the next.
  EXPECT_TRUE(RegWriteString(RegRoot::CurrentUser, kOwnKey, kBackupFolderValue, u"/b/"_s));
  SetRegAccessor(registry.Fresh());
  EXPECT_EQ(Own(kGameFolderValue), u"/a/"_s);
  EXPECT_EQ(Own(kBackupFolderValue), u"/b/"_s);
}
#endif

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
