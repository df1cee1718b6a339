#include "setuptestsupport.h"

#include "sampledir.h"
#include "setupdialog.h"
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
  return AwaitDisk(*this, state_, n,
                   [this](const QString& prompt) { return AskForDiskInABox(*this, prompt); });
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

QString ScriptText(const QStringList& commands, const QString& marker, const QString& product) {
  QString text = u"\""_s + product + u"\"\n\"C:\\Install\"\n\"1000\"\n\""_s + marker + u"\"\n"_s;
  for (const QString& command : commands) text += u"\""_s + command + u"\"\n"_s;
  return text;
}
