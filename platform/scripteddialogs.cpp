#include "scripteddialogs.h"

#include <QStringList>

ScriptedDialogs::ScriptedDialogs() : previous_(SetDialogs(this)) {}

ScriptedDialogs::~ScriptedDialogs() {
  SetDialogs(previous_);
}

ScriptedDialogs& ScriptedDialogs::Answer(MsgResult answer) {
  answers.push_back(answer);
  return *this;
}

ScriptedDialogs& ScriptedDialogs::Browse(BrowseScript script) {
  browses.push_back(std::move(script));
  return *this;
}

ScriptedDialogs& ScriptedDialogs::BrowseChooses(const QString& folder) {
  return Browse([folder](const BrowseRequest&) { return std::optional<QString>(folder); });
}

ScriptedDialogs& ScriptedDialogs::BrowseCancels() {
  return Browse([](const BrowseRequest&) { return std::optional<QString>(); });
}

MsgResult ScriptedDialogs::MessageDlg(MsgKind kind, const QString& text, MsgButtons buttons) {
  Record record{Type::Message, kind, text, buttons, MsgResult::None};
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
  log.push_back({Type::Plain, MsgKind::Information, text, mbOK, MsgResult::OK});
  if (onDialog) onDialog(log.back());
}

void ScriptedDialogs::ShowException(const QString& text) {
  log.push_back({Type::Exception, MsgKind::Error, text, mbOK, MsgResult::OK});
  if (onDialog) onDialog(log.back());
}

std::optional<QString> ScriptedDialogs::BrowseForFolder(const BrowseRequest& request) {
  log.push_back({Type::Browse, MsgKind::Information, request.title, 0, MsgResult::None});
  if (onDialog) onDialog(log.back());
  if (browses.empty()) {
    ++unexpected;
    return std::nullopt;
  }
  BrowseScript script = std::move(browses.front());
  browses.pop_front();
  return script(request);
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
  unexpected = 0;
}
