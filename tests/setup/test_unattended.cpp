#include "desktoplink.h"
#include "otheruser.h"
#include "paths.h"
#include "sampledir.h"
#include "samplegame.h"
#include "setuptestsupport.h"
#include "singleinstance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>

#ifndef _WIN32
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace Qt::Literals::StringLiterals;

namespace {

struct Result {
  int exitCode = -1;
  QString output;
};

// `asNobody` runs it as the user nobody when the test runs as root (exit status kNoOtherUser
// when it can't be that user).
Result RunSetup(const QString& folder, const QStringList& arguments,
                const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
                bool asNobody = false) {
  QProcess setup;
  setup.setProcessEnvironment(environment);
#ifndef _WIN32
  if (asNobody && ::geteuid() == 0) {
    setup.setChildProcessModifier([] {
      if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(kNoOtherUser);
    });
  }
#else
  Q_UNUSED(asNobody);
#endif
  setup.setWorkingDirectory(folder);
  setup.setProcessChannelMode(QProcess::MergedChannels);
  setup.start(QString::fromLocal8Bit(SETUP_EXE), arguments);
  if (!setup.waitForFinished(120000)) return {};
  // Lines end in CR LF on Windows, as text there does.
  return {setup.exitStatus() == QProcess::NormalExit ? setup.exitCode() : -1,
          QString::fromLocal8Bit(setup.readAll()).replace(u"\r\n"_s, u"\n"_s)};
}

TEST(Unattended, InstallsTheSampleMediumAndUpdatesIt) {
  SetupSandbox sandbox;
  const QString medium = QString::fromLocal8Bit(SAMPLE_MEDIUM_DIR);
  const QString location = sandbox.Path(u"Saltmarch 98"_s);
  // The medium puts a link on the desktop the shell records (on Windows; elsewhere only where
  // a desktop folder exists): it is checked and taken away again.
  const QString desktop = DesktopFolder();
  const QString link =
      desktop.isEmpty() ? QString() : desktop + u'/' + DesktopLinkName(u"Saltmarch 98"_s);
  const bool hadLink = !link.isEmpty() && QFileInfo::exists(link);
  const auto removeLink = qScopeGuard([&] {
    if (!link.isEmpty() && !hadLink) QFile::remove(link);
  });
  Result result = RunSetup(medium, {u"--unattended"_s, u"--location"_s, location});
  ASSERT_EQ(result.exitCode, 0) << result.output.toStdString();
  EXPECT_TRUE(link.isEmpty() || QFileInfo::exists(link)) << link.toStdString();
  EXPECT_TRUE(result.output.contains(u"Waiting For Disk: 2\n"_s));
  EXPECT_TRUE(result.output.endsWith(u"Setup: Installation Completed Successfully\n"_s));

  EXPECT_EQ(ReadAll(location + u"/sample-game/data/bin/templates.bin"_s),
            SampleGame::TemplatesBin());
  EXPECT_TRUE(QFileInfo(location + u"/backup"_s).isDir());
  // The medium's last step is a shell script, which only a system with a shell runs.
#ifndef _WIN32
  EXPECT_TRUE(ReadAll(location + u"/INSTALL.LOG"_s).startsWith("New installation of Saltmarch 98"));
#endif
  // The program, joined from its two pieces, runs on the sample game it came with.
  QProcess tool;
  tool.start(location + u"/smarch-units"_s, {u"show"_s, location + u"/sample-game"_s});
  ASSERT_TRUE(tool.waitForFinished(60000));
  EXPECT_EQ(tool.exitCode(), 0);
  EXPECT_TRUE(tool.readAllStandardOutput().contains("Light Infantry"));

  // A second install into the same place is an update.
  QDir(location + u"/backup"_s).removeRecursively();
  result = RunSetup(medium, {u"--unattended"_s, u"--location"_s, location});
  ASSERT_EQ(result.exitCode, 0) << result.output.toStdString();
#ifndef _WIN32
  EXPECT_TRUE(ReadAll(location + u"/INSTALL.LOG"_s).startsWith("Update of Saltmarch 98"));
#endif
  EXPECT_FALSE(QFileInfo::exists(location + u"/backup"_s));
}

TEST(Unattended, EveryFailureGivesANonZeroStatus) {
  SetupSandbox sandbox;
  Result result = RunSetup(sandbox.Medium(), {u"--unattended"_s});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_TRUE(result.output.contains(
      u"Error: Unable To Open Install Script File\nInstallation Aborted\n"_s));

  sandbox.WriteScript(ScriptText({u"I:2"_s, u"M:@I\\after"_s}));
  result = RunSetup(sandbox.Medium(), {u"--unattended"_s, u"--location"_s, sandbox.Location()});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_TRUE(result.output.contains(u"Insert Disk 2 Into Drive"_s)) << result.output.toStdString();
  EXPECT_FALSE(QFileInfo::exists(sandbox.Location() + u"/after"_s));

  sandbox.WriteScript(ScriptText({u"E:MISSING.TX_>x.txt"_s, u"M:@I\\after"_s}));
  result = RunSetup(sandbox.Medium(), {u"--unattended"_s, u"--location"_s, sandbox.Location()});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_TRUE(result.output.contains(u"Error: Unable To Open Source File ("_s));
  EXPECT_FALSE(QFileInfo::exists(sandbox.Location() + u"/after"_s));

  // The update question answers itself with Yes.
  WriteAll(sandbox.Location() + u"/MARK.ER"_s, "x");
  sandbox.WriteScript(ScriptText({u"uM:@I\\updated"_s}));
  result = RunSetup(sandbox.Medium(), {u"--unattended"_s, u"--location"_s, sandbox.Location()});
  EXPECT_EQ(result.exitCode, 0) << result.output.toStdString();
  EXPECT_TRUE(QFileInfo(sandbox.Location() + u"/updated"_s).isDir());

  EXPECT_EQ(RunSetup(sandbox.Medium(), {u"--unattended"_s, u"--bogus"_s}).exitCode, 2);
}

TEST(Unattended, TakesADiskFolderWhateverTheCaseOfItsName) {
  // A medium copied by a tool that lowers every name: the window finds its disk 2, and so must
  // an install without one.
  SetupSandbox sandbox;
  const QByteArray whole = TestBytes(30000, 7);
  sandbox.WriteMedium(u"PROG.001"_s, MsCompressed(whole.left(20000)));
  sandbox.WriteMedium(u"disk0002/prog.002"_s, MsCompressed(whole.mid(20000)));
  sandbox.WriteScript(ScriptText({u"S:2!PROG.EX_>PROG.EXE"_s, u"M:@I\\after"_s}));
  const Result result =
      RunSetup(sandbox.Medium(), {u"--unattended"_s, u"--location"_s, sandbox.Location()});
  EXPECT_EQ(result.exitCode, 0) << result.output.toStdString();
  EXPECT_TRUE(result.output.contains(u"Waiting For Disk: 2\n"_s));
  EXPECT_FALSE(result.output.contains(u"Insert Disk"_s)) << result.output.toStdString();
  EXPECT_EQ(ReadAll(sandbox.Location() + u"/PROG.EXE"_s), whole);
  EXPECT_TRUE(QFileInfo(sandbox.Location() + u"/after"_s).isDir());
}

TEST(Unattended, RefusesWhatItCannotDoWhole) {
  SetupSandbox sandbox;
  sandbox.WriteMedium(u"F.TX_"_s, MsCompressed("content"));
  sandbox.WriteScript(ScriptText({u"E:F.TX_>pipe"_s, u"M:@I\\after"_s}));
  QDir().mkpath(sandbox.Location());
  Result result;
#ifndef _WIN32
  ASSERT_EQ(::mkfifo(QFile::encodeName(sandbox.Location() + u"/pipe"_s).constData(), 0600), 0);
  // A pipe at the destination would block the install for ever.
  result = RunSetup(sandbox.Medium(), {u"--unattended"_s, u"--location"_s, sandbox.Location()});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_TRUE(result.output.contains(u"Error: Destination Is Not A Regular File ("_s))
      << result.output.toStdString();
  EXPECT_FALSE(QFileInfo::exists(sandbox.Location() + u"/after"_s));
#endif

  // A location longer than any path is refused, never cut into another folder.
  const QString longLocation = sandbox.Path(u"long/"_s) + QString(250, u'a') + u'/' +
                               QString(250, u'b') + u'/' + QString(60, u'c');
  result = RunSetup(sandbox.Medium(), {u"--unattended"_s, u"--location"_s, longLocation});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_TRUE(result.output.contains(u"Error: Unable To Change Into Directory: "_s + longLocation +
                                     u"\nA location may be 510 characters long at most\n"
                                     u"Installation Aborted\n"_s))
      << result.output.toStdString();
  EXPECT_FALSE(QFileInfo::exists(sandbox.Path(u"long"_s)));

  // So is a proposal longer than the script may hold: cut, it would name a folder of its own.
  const QString parent =
      sandbox.Path(u"proposed/"_s) + QString(200, u'a') + u'/' + QString(200, u'b');
  ASSERT_TRUE(QDir().mkpath(parent));
  sandbox.WriteScript(u"\"P\" \""_s + parent + u'/' + QString(150, u'c') +
                      u"\" \"1\" \"M\" \"M:@I\\x\""_s);
  result = RunSetup(sandbox.Medium(), {u"--unattended"_s});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_TRUE(result.output.contains(u"Error: Unable To Change Into Directory: "_s + parent))
      << result.output.toStdString();
  EXPECT_TRUE(QDir(parent).isEmpty());
}

TEST(Unattended, ALocationItCannotUseEndsTheInstallNamingFolderAndReason) {
#ifdef _WIN32
  GTEST_SKIP() << "on Windows a drive letter is the system's own";
#else
  SetupSandbox sandbox;
  sandbox.WriteScript(ScriptText({u"M:@I\\x"_s}));
  // A drive no Wine prefix maps: nobody is there to take another place, so the install ends.
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(u"WINEPREFIX"_s, sandbox.Path(u"prefix"_s));
  Result result = RunSetup(sandbox.Medium(),
                           {u"--unattended"_s, u"--location"_s, u"D:\\Games\\Dune Tools"_s},
                           environment);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_TRUE(result.output.endsWith(
      u"Error: Unable To Create Directory: D:\\Games\\Dune Tools\n"
      u"This system has no drive D:, and no Wine prefix maps one\nInstallation Aborted\n"
      u"setup --unattended --location DIR installs into another folder\n"_s))
      << result.output.toStdString();
  EXPECT_FALSE(QFileInfo::exists(QDir::homePath() + u"/Dune Tools/x"_s));

  // What only a user who is not root meets: a folder it may not make, one it may not enter.
  const QString locked = sandbox.Path(u"locked"_s);
  ASSERT_TRUE(QDir().mkpath(locked + u"/closed"_s));
  ::chmod(QFile::encodeName(sandbox.Root()).constData(), 0755);
  ::chmod(QFile::encodeName(sandbox.Medium()).constData(), 0755);
  // Closed to everybody but root, whoever runs the test; opened again for the clean-up.
  ::chmod(QFile::encodeName(locked + u"/closed"_s).constData(), 0600);
  ::chmod(QFile::encodeName(locked).constData(), 0555);
  const auto reopen = qScopeGuard([&] {
    ::chmod(QFile::encodeName(locked).constData(), 0755);
    ::chmod(QFile::encodeName(locked + u"/closed"_s).constData(), 0755);
  });
  const auto unattended = [&](const QString& location) {
    return RunSetup(sandbox.Medium(), {u"--unattended"_s, u"--location"_s, location}, environment,
                    true);
  };
  result = unattended(locked + u"/new"_s);
  if (result.exitCode == kNoOtherUser) GTEST_SKIP() << "no other user to run setup as";
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_TRUE(result.output.contains(u"Error: Unable To Change Into Directory: "_s + locked +
                                     u"/new\n"_s + SystemErrorText(EACCES) +
                                     u"\nInstallation Aborted\n"_s))
      << result.output.toStdString();
  result = unattended(locked + u"/closed"_s);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_TRUE(result.output.contains(u"Error: Unable To Change Into Directory: "_s + locked +
                                     u"/closed\nSetup may not enter it\nInstallation Aborted\n"_s))
      << result.output.toStdString();
#endif
}

TEST(Unattended, ShowsControlCharactersInNamesEscaped) {
#ifdef _WIN32
  GTEST_SKIP() << "names on Windows hold no control characters";
#endif
  // A medium whose folder and names hold sequences that would retitle the terminal, clear it
  // and forge a line of their own.
  SetupSandbox sandbox;
  const QString medium = sandbox.Path(u"m\x1b]0;owned\x07"_s);
  const QString shownMedium = sandbox.Path(u"m\\x1B]0;owned\\x07"_s);
  QDir().mkpath(medium);
  WriteAll(medium + u"/F.TX_"_s, "content");
  WriteAll(medium + u"/VOVIVADU.ZED"_s,
           ScriptText({u"E:F.TX_>\x1b[2Jout.txt"_s, u"D:a\nSetup: forged\u009b"_s}).toUtf8());
  const Result result = RunSetup(medium, {u"--unattended"_s, u"--location"_s, sandbox.Location()});
  EXPECT_EQ(result.exitCode, 0) << result.output.toStdString();
  // The names are used as they are; only their display is escaped.
  EXPECT_EQ(ReadAll(sandbox.Location() + u"/\x1b[2Jout.txt"_s), QByteArray("content"));
  EXPECT_TRUE(std::none_of(result.output.begin(), result.output.end(), [](QChar c) {
    return c != u'\n' && c.category() == QChar::Other_Control;
  })) << result.output.toStdString();
  EXPECT_TRUE(result.output.startsWith(u"Installing From: "_s + shownMedium + u'\n'));
  EXPECT_TRUE(result.output.contains(u"\nInflating File: "_s + Native(shownMedium + u"/F.TX_"_s) +
                                     u" -> \\x1B[2Jout.txt\n"_s));
  EXPECT_TRUE(result.output.contains(u"\nDeleting File: a\\x0ASetup: forged\\x9B\n"_s));
}

TEST(Unattended, AReaderThatGoesAwayDoesNotStopTheInstall) {
#ifdef _WIN32
  GTEST_SKIP() << "no SIGPIPE on Windows: a write to a pipe without reader just fails there";
#else
  SetupSandbox sandbox;
  QStringList commands;
  for (int i = 0; i < 20; ++i) commands << u"M:@I\\d"_s + QString::number(i);
  sandbox.WriteScript(ScriptText(commands));
  // Standard output is a pipe whose reader has gone before setup writes its first line.
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  ::close(ends[0]);
  const QByteArray folder = QFile::encodeName(sandbox.Medium());
  const QByteArray location = QFile::encodeName(sandbox.Location());
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(ends[1], 1);
    ::signal(SIGPIPE, SIG_DFL);
    if (::chdir(folder.constData()) == 0)
      ::execl(SETUP_EXE, SETUP_EXE, "--unattended", "--location", location.constData(), nullptr);
    ::_exit(127);
  }
  ::close(ends[1]);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_TRUE(QFileInfo(sandbox.Location() + u"/d19"_s).isDir());
#endif
}

TEST(SecondStart, BringsTheFirstToTheFrontAndEnds) {
  SingleInstance first;
  if (!first.Claim()) GTEST_SKIP() << "a setup of this user is running";
  QSignalSpy activated(&first, &SingleInstance::Activate);
  SetupSandbox sandbox;
  sandbox.WriteScript(ScriptText({u"M:@I\\x"_s}));
  QProcess second;
  second.setWorkingDirectory(sandbox.Medium());
  second.start(QString::fromLocal8Bit(SETUP_EXE), {u"-platform"_s, u"offscreen"_s});
  ASSERT_TRUE(QTest::qWaitFor([&] { return second.state() == QProcess::NotRunning; }, 60000));
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), 0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return activated.count() > 0; }, 5000));
  EXPECT_FALSE(QFileInfo::exists(sandbox.Location()));
}

}  // namespace

#ifdef _WIN32

TEST(SecondStart, TheSocketLiesInAFolderOfTheUsersOwn) {
  GTEST_SKIP() << "a local socket name on Windows is no file in a folder";
}

#else

namespace {

sockaddr_un Address(const QString& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof address.sun_path - 1);
  return address;
}

}  // namespace

TEST(SecondStart, TheSocketLiesInAFolderOfTheUsersOwn) {
  SetupSandbox sandbox;
  const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
  const QString runtime = sandbox.Path(u"runtime"_s);
  QDir().mkpath(runtime);
  QFile::setPermissions(runtime,
                        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
  EXPECT_EQ(SingleInstance::DefaultName(), runtime + u"/QRBSetup"_s);

  // A runtime folder others may enter is not used.
  QFile::setPermissions(runtime, QFile::permissions(runtime) | QFileDevice::ExeOther);
  const QString fallback = QDir::tempPath() + u"/QRBSetup-"_s + QString::number(::getuid());
  EXPECT_EQ(SingleInstance::DefaultName(), fallback + u"/QRBSetup"_s);
  struct stat st {};
  ASSERT_EQ(::lstat(QFile::encodeName(fallback).constData(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(st.st_mode & 077, 0u);
  EXPECT_EQ(st.st_uid, ::getuid());
  qputenv("XDG_RUNTIME_DIR", saved);
  if (saved.isEmpty()) qunsetenv("XDG_RUNTIME_DIR");
}

TEST(SecondStart, OnlyAStartOfTheSameUserIsObeyed) {
  if (::getuid() != 0) GTEST_SKIP() << "needs to run processes as another user";
  SetupSandbox sandbox;
  const QString open = sandbox.Path(u"open"_s);
  QDir().mkpath(open);
  ::chmod(QFile::encodeName(open).constData(), 0777);
  ::chmod(QFile::encodeName(sandbox.Root()).constData(), 0755);
  const QString name = open + u"/QRBSetup"_s;

  // Someone else listening under the name first does not silence this start.
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t listener = AsAnotherUser([&] {
    const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const sockaddr_un address = Address(name);
    if (::bind(server, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(server, 1) != 0)
      return 98;
    char c = 'r';
    if (::write(ready[1], &c, 1) != 1) return 97;
    pollfd wait{server, POLLIN, 0};
    if (::poll(&wait, 1, 5000) != 1) return 2;
    const int peer = ::accept(server, nullptr, nullptr);
    pollfd data{peer, POLLIN, 0};
    char got[16] = {};
    // What this start says to a stranger: nothing.
    return ::poll(&data, 1, 1000) == 1 && ::read(peer, got, sizeof got) > 0 ? 1 : 0;
  });
  char c = 0;
  ASSERT_EQ(::read(ready[0], &c, 1), 1);
  SingleInstance first(name);
  EXPECT_TRUE(first.Claim());
  EXPECT_EQ(ExitStatus(listener), 0);

  // And a stranger that reaches this start's socket is not obeyed.
  QSignalSpy activated(&first, &SingleInstance::Activate);
  ::chmod(QFile::encodeName(name).constData(), 0777);
  const pid_t stranger = AsAnotherUser([&] {
    const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const sockaddr_un address = Address(name);
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
      return 98;
    return ::write(socket, "front\n", 6) == 6 ? 0 : 97;
  });
  int status = -1;
  EXPECT_TRUE(QTest::qWaitFor([&] { return ::waitpid(stranger, &status, WNOHANG) != 0; }, 5000));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the stranger could not connect";
  QTest::qWait(300);
  EXPECT_EQ(activated.count(), 0);
  SingleInstance second(name);
  EXPECT_FALSE(second.Claim());
  EXPECT_TRUE(QTest::qWaitFor([&] { return activated.count() > 0; }, 5000));
}

#endif
