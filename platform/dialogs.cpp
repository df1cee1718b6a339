#include "dialogs.h"

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

void Print(std::FILE* stream, const QString& text) {
  QString flat = text;
  flat.replace(u'\r', u'\n');
  std::fprintf(stream, "%s\n", flat.toLocal8Bit().constData());
  std::fflush(stream);
}

}  // namespace

QString MsgKindTitle(MsgKind kind) {
  switch (kind) {
    case MsgKind::Warning:
      return u"Warning"_s;
    case MsgKind::Error:
      return u"Error"_s;
    case MsgKind::Information:
      return u"Information"_s;
    case MsgKind::Confirmation:
      return u"Confirm"_s;
  }
  return {};
}

MsgResult EnterAnswer(MsgButtons buttons) {
  if (buttons & mbOK) return MsgResult::OK;
  if (buttons & mbYes) return MsgResult::Yes;
  if (buttons & mbRetry) return MsgResult::Retry;
  return MsgResult::None;
}

MsgResult EscapeAnswer(MsgButtons buttons) {
  if (buttons & mbCancel) return MsgResult::Cancel;
  if (buttons & mbNo) return MsgResult::No;
  if (buttons & mbOK) return MsgResult::OK;
  return MsgResult::None;
}

const std::array<MsgButton, 6>& ButtonOrder() {
  static const std::array<MsgButton, 6> order = {mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry};
  return order;
}

QString ButtonCaption(MsgButton button) {
  switch (button) {
    case mbYes:
      return u"&Yes"_s;
    case mbNo:
      return u"&No"_s;
    case mbOK:
      return u"OK"_s;
    case mbCancel:
      return u"Cancel"_s;
    case mbAbort:
      return u"&Abort"_s;
    case mbRetry:
      return u"&Retry"_s;
  }
  return {};
}

MsgResult ResultOf(MsgButton button) {
  switch (button) {
    case mbYes:
      return MsgResult::Yes;
    case mbNo:
      return MsgResult::No;
    case mbOK:
      return MsgResult::OK;
    case mbCancel:
      return MsgResult::Cancel;
    case mbAbort:
      return MsgResult::Abort;
    case mbRetry:
      return MsgResult::Retry;
  }
  return MsgResult::None;
}

ServiceSlot<DialogService>& DialogsSlot() {
  static ServiceSlot<DialogService> slot(std::in_place_type<ConsoleDialogs>);
  return slot;
}

MsgResult ConsoleDialogs::MessageDlg(MsgKind kind, const QString& text, MsgButtons buttons) {
  const bool serious =
      kind == MsgKind::Error || kind == MsgKind::Warning || text.startsWith(u"Error"_s);
  Print(serious ? stderr : stdout, text);
  return EnterAnswer(buttons);
}

void ConsoleDialogs::ShowMessage(const QString& text) {
  Print(stdout, text);
}

void ConsoleDialogs::ShowException(const QString& text) {
  Print(stderr, text);
}

std::optional<QString> ConsoleDialogs::BrowseForFolder(const BrowseRequest&) {
  return std::nullopt;
}

std::optional<QString> ConsoleDialogs::ChooseFile(const FileRequest&) {
  return std::nullopt;
}
