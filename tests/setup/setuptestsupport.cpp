#include "setuptestsupport.h"

#include "fileops.h"
#include "sampledir.h"
#include "setupstrings.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <random>

#ifdef _WIN32
#include <objbase.h>
#include <shlobj.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

using namespace Qt::Literals::StringLiterals;

int BoxResponder::Respond(unsigned style, const QString& caption, const QString& text) {
  BoxRecord record{style, caption, text, 0};
  if (onBox) onBox(record);
  const unsigned buttons = style & kBoxButtonsMask;
  if (!answers.empty()) {
    record.answer = answers.front();
    answers.pop_front();
  } else {
    if (buttons != kBoxOk) ++unexpected;
    record.answer = buttons == kBoxOkCancel           ? idCancel
                    : buttons == kBoxYesNo            ? idYes
                    : buttons == kBoxAbortRetryIgnore ? idAbort
                                                      : idOk;
  }
  boxes.push_back(record);
  return record.answer;
}

QStringList BoxResponder::Texts() const {
  QStringList texts;
  for (const BoxRecord& box : boxes) texts << box.text;
  return texts;
}

int RecordingUi::ShowSetupMessage(unsigned style, const QString& caption, const QString& text) {
  return Respond(style, SetupText(caption), SetupText(text));
}

bool RecordingUi::WaitForDisk(int n) {
  disksAsked.push_back(n);
  return PromptForDisk(*this, state_, n);
}

bool RecordingRunner::Run(const QString& program, const QStringList& args, const QString& folder,
                          const std::function<void()>& waiting) {
  programs << program;
  arguments.push_back(args);
  folders << folder;
  if (starts && waiting) waiting();
  return starts;
}

SetupSandbox::SetupSandbox() {
  QDir root(dir_.path());
  root.mkpath(u"medium"_s);
  root.mkpath(u"desktop"_s);
  root.mkpath(u"windows/system32"_s);
}

void SetupSandbox::WriteScript(const QString& text) const {
  WriteMedium(u"VOVIVADU.ZED"_s, text.toUtf8());
}

void SetupSandbox::WriteMedium(const QString& name, const QByteArray& bytes) const {
  const QString path = Medium() + u'/' + name;
  QDir().mkpath(QFileInfo(path).path());
  WriteAll(path, bytes);
}

RunState SetupSandbox::State(InstallMode mode) const {
  RunState state;
  state.mode = mode;
  state.sourceFolder = Medium();
  state.location = Location();
  QDir().mkpath(Location());
  state.currentFolder = Location();
  state.windowsFolder = Windows();
  state.systemFolder = Path(u"windows/system32"_s);
  state.desktopFolder = Desktop();
  return state;
}

#ifdef _WIN32

namespace {

// mscompress is a program of the system Wine runs on and wants that system's paths.
QString HostPath(const QString& path) {
  using ToUnix = char*(CDECL*)(const wchar_t*);
  const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
  if (!toUnix) return path;
  const QString native = QDir::toNativeSeparators(path);
  char* unixPath = toUnix(reinterpret_cast<const wchar_t*>(native.utf16()));
  if (!unixPath) return path;
  const QString result = QString::fromUtf8(unixPath);
  HeapFree(GetProcessHeap(), 0, unixPath);
  return result;
}

}  // namespace

std::optional<ShellLinkFields> ReadShellLink(const QString& file) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  std::optional<ShellLinkFields> fields;
  IShellLinkW* link = nullptr;
  IPersistFile* persist = nullptr;
  wchar_t target[MAX_PATH] = {}, folder[MAX_PATH] = {}, description[MAX_PATH] = {};
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&link))) &&
      SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist))) &&
      SUCCEEDED(persist->Load(reinterpret_cast<const wchar_t*>(file.utf16()), STGM_READ)) &&
      SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH)) &&
      SUCCEEDED(link->GetWorkingDirectory(folder, MAX_PATH)) &&
      SUCCEEDED(link->GetDescription(description, MAX_PATH))) {
    fields = ShellLinkFields{QString::fromWCharArray(target), QString::fromWCharArray(folder),
                             QString::fromWCharArray(description)};
  }
  if (persist) persist->Release();
  if (link) link->Release();
  CoUninitialize();
  return fields;
}

bool HardLink(const QString& existing, const QString& name) {
  return CreateHardLinkW(reinterpret_cast<const wchar_t*>(name.utf16()),
                         reinterpret_cast<const wchar_t*>(existing.utf16()), nullptr);
}

#else

bool HardLink(const QString& existing, const QString& name) {
  return ::link(QFile::encodeName(existing).constData(), QFile::encodeName(name).constData()) == 0;
}

#endif

#ifdef _WIN32

QByteArray MsCompressed(const QByteArray& bytes) {
  // Wine starts a program of its host but hands back no process to wait for: a shell script
  // reports the tool's end in a file, and that file is waited for.
  QTemporaryDir dir;
  const QString path = dir.filePath(u"data.bin"_s);
  const QString done = dir.filePath(u"done"_s);
  const QString script = dir.filePath(u"compress.sh"_s);
  if (!WriteAll(path, bytes) ||
      !WriteAll(script, "if \"" MSCOMPRESS_TOOL "\" \"$1\"; then r=ok; else r=failed; fi\n"
                        "echo $r > \"$2.tmp\" && mv \"$2.tmp\" \"$2\"\n"))
    return {};
  QProcess tool;
  tool.start(u"Z:\\bin\\sh"_s, {HostPath(script), HostPath(path), HostPath(done)});
  tool.waitForFinished(-1);
  QDeadlineTimer deadline(60000);
  while (!QFileInfo::exists(done) && !deadline.hasExpired()) QThread::msleep(20);
  if (ReadAll(done) != "ok\n") return {};
  return ReadAll(path + u'_');
}

#else

QByteArray MsCompressed(const QByteArray& bytes) {
  QTemporaryDir dir;
  const QString path = dir.filePath(u"data.bin"_s);
  if (!WriteAll(path, bytes)) return {};
  QProcess tool;
  tool.start(QString::fromLocal8Bit(MSCOMPRESS_TOOL), {path});
  if (!tool.waitForFinished(-1) || tool.exitCode() != 0) return {};
  return ReadAll(path + u'_');
}

#endif

QByteArray TestBytes(qsizetype size, unsigned seed, bool compressible) {
  std::mt19937 random(seed);
  QByteArray bytes;
  bytes.reserve(size);
  static const char* words[] = {"harvester ", "spice ",    "ornithopter ",
                                "Atreides ",  "sandworm ", "\n",
                                "Harkonnen ", "0x3C00 ",   "refinery "};
  while (bytes.size() < size) {
    if (compressible) {
      bytes += words[random() % std::size(words)];
      if (random() % 7 == 0) bytes += static_cast<char>(random() & 0xFF);
    } else {
      bytes += static_cast<char>(random() & 0xFF);
    }
  }
  bytes.truncate(size);
  return bytes;
}

QString ScriptText(const QStringList& commands, const QString& marker, const QString& product) {
  QString text = u"\""_s + product + u"\"\n\"C:\\Install\"\n\"1000\"\n\""_s + marker + u"\"\n"_s;
  for (const QString& command : commands) text += u"\""_s + command + u"\"\n"_s;
  return text;
}
