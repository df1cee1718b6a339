#include "setuptestsupport.h"

#include "fileops.h"
#include "sampledir.h"
#include "setupstrings.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <random>

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
  state.systemFolder = Windows() + u"/system32"_s;
  state.desktopFolder = Desktop();
  return state;
}

QByteArray MsCompressed(const QByteArray& bytes) {
  QTemporaryDir dir;
  const QString path = dir.filePath(u"data.bin"_s);
  if (!WriteAll(path, bytes)) return {};
  QProcess tool;
  tool.start(QString::fromLocal8Bit(MSCOMPRESS_TOOL), {path});
  if (!tool.waitForFinished(-1) || tool.exitCode() != 0) return {};
  return ReadAll(path + u'_');
}

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
