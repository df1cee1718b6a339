#include "scripteddialogs.h"

#include <QStringList>

ScriptedDialogs& ScriptedDialogs::Answer(MsgResult answer) {
  answers.push_back(answer);
  return *this;
}

ScriptedDialogs& ScriptedDialogs::Browse(BrowseScript script) {
  browses.push_back(std::move(script));
  return *this;
}

namespace {

// Stands in for the browser window: remembers what the callback did to it.
class SimulatedBrowser : public BrowserControl {
 public:
  explicit SimulatedBrowser(ScriptedDialogs::Record& record) : record_(record) {}
  void SelectFolder(const QString& folder) override { record_.browseStart = folder; }
  void SetStatusText(const QString& text) override { record_.browseStatus = text; }
  void EnableOK(bool enabled) override { record_.browseOkEnabled = enabled; }

 private:
  ScriptedDialogs::Record& record_;
};

}  // namespace

ScriptedDialogs& ScriptedDialogs::BrowseChooses(const QString& folder) {
  return Browse([folder](const BrowseRequest& request, Record& record) -> std::optional<QString> {
    SimulatedBrowser browser(record);
    if (request.callback) {
      request.callback(browser, BrowseEvent::Initialized, QString());
      request.callback(browser, BrowseEvent::SelectionChanged, folder);
    }
    if (!record.browseOkEnabled) return std::nullopt;  // OK can't be pressed: the user cancels
    return folder;
  });
}

ScriptedDialogs& ScriptedDialogs::BrowseCancels() {
  return Browse([](const BrowseRequest& request, Record& record) -> std::optional<QString> {
    SimulatedBrowser browser(record);
    if (request.callback) request.callback(browser, BrowseEvent::Initialized, QString());
    return std::nullopt;
  });
}

MsgResult ScriptedDialogs::MessageDlg(MsgKind kind, const QString& text, MsgButtons buttons) {
  Record record{.type = Type::Message, .kind = kind, .text = text, .buttons = buttons};
  if (buttons == mbOK) {
    record.answer = MsgResult::OK;
  } else if (!answers.empty()) {
    record.answer = answers.front();
    answers.pop_front();
  } else {
    ++unexpected;
    record.answer = MsgResult::Cancel;
  }
  log.push_back(record);
  if (onDialog) onDialog(record);
  return record.answer;
}

void ScriptedDialogs::ShowMessage(const QString& text) {
  log.push_back({.type = Type::Plain, .text = text, .buttons = mbOK, .answer = MsgResult::OK});
  if (onDialog) onDialog(log.back());
}

void ScriptedDialogs::ShowException(const QString& text) {
  log.push_back({.type = Type::Exception,
                 .kind = MsgKind::Error,
                 .text = text,
                 .buttons = mbOK,
                 .answer = MsgResult::OK});
  if (onDialog) onDialog(log.back());
}

std::optional<QString> ScriptedDialogs::BrowseForFolder(const BrowseRequest& request) {
  Record record{.type = Type::Browse, .text = request.title};
  std::optional<QString> chosen;
  if (browses.empty()) {
    ++unexpected;
  } else {
    BrowseScript script = std::move(browses.front());
    browses.pop_front();
    chosen = script(request, record);
  }
  record.answer = chosen ? MsgResult::OK : MsgResult::Cancel;
  log.push_back(record);
  if (onDialog) onDialog(log.back());
  return chosen;
}

ScriptedDialogs& ScriptedDialogs::FileDialogChooses(const QString& file) {
  files.emplace_back(file);
  return *this;
}

ScriptedDialogs& ScriptedDialogs::FileDialogCancels() {
  files.emplace_back(std::nullopt);
  return *this;
}

std::optional<QString> ScriptedDialogs::ChooseFile(const FileRequest& request) {
  Record record{.type = Type::File, .text = request.title, .file = request};
  std::optional<QString> chosen;
  if (files.empty()) {
    ++unexpected;
  } else {
    chosen = std::move(files.front());
    files.pop_front();
  }
  record.answer = chosen ? MsgResult::OK : MsgResult::Cancel;
  log.push_back(record);
  if (onDialog) onDialog(log.back());
  return chosen;
}

QStringList ScriptedDialogs::Texts() const {
  QStringList texts;
  for (const Record& r : log) texts << r.text;
  return texts;
}

void ScriptedDialogs::Clear() {
  log.clear();
  answers.clear();
  browses.clear();
  files.clear();
  unexpected = 0;
}
