#pragma once

#include "serviceslot.h"

#include <QString>

#include <array>
#include <functional>
#include <optional>

// Everything that asks the user goes through one replaceable service: the Qt windows in the
// programs, a scripted responder in tests, plain text in the command-line tool.

enum class MsgKind { Warning, Error, Information, Confirmation };

enum MsgButton : unsigned {
  mbYes = 1u << 0,
  mbNo = 1u << 1,
  mbOK = 1u << 2,
  mbCancel = 1u << 3,
  mbAbort = 1u << 4,
  mbRetry = 1u << 5,
};
using MsgButtons = unsigned;

enum class MsgResult { None, Yes, No, OK, Cancel, Abort, Retry };

// The caption each kind of message dialog carries.
QString MsgKindTitle(MsgKind kind);
// The button Enter presses: OK if present, else Yes, else Retry; None when there is none.
MsgResult EnterAnswer(MsgButtons buttons);
// The button Escape presses: Cancel if present, else No, else OK; None when there is none.
MsgResult EscapeAnswer(MsgButtons buttons);
// The buttons in the order they are shown: Yes, No, OK, Cancel, Abort, Retry.
const std::array<MsgButton, 6>& ButtonOrder();
QString ButtonCaption(MsgButton button);
MsgResult ResultOf(MsgButton button);

// What a folder browser lets its caller do while it is open.
class BrowserControl {
 public:
  virtual ~BrowserControl() = default;
  virtual void SelectFolder(const QString& folder) = 0;
  virtual void SetStatusText(const QString& text) = 0;
  virtual void EnableOK(bool enabled) = 0;
};

enum class BrowseEvent { Initialized, SelectionChanged };

// A folder browser: it shows `title` above the folder tree and a status line, and calls
// `callback` once when it has been set up (with an empty path) and again whenever the selection
// changes (with the selected folder's path), so the caller can preselect a folder, fill the
// status line and decide whether OK may be pressed.
struct BrowseRequest {
  QString title;
  std::function<int(BrowserControl&, BrowseEvent, const QString& path)> callback;
};

// A file dialog: a file to open, or the name to save a new file under.
struct FileRequest {
  bool save = false;
  QString title;
  QString filter;  // Qt's form: "Unit mods (*.json *.csv)"
  // Saving: the suffix a name typed without one gets.
  QString defaultSuffix;
};

class DialogService {
 public:
  virtual ~DialogService() = default;
  // A modal message dialog; the answer is the button pressed (Cancel for the close box).
  virtual MsgResult MessageDlg(MsgKind kind, const QString& text, MsgButtons buttons) = 0;
  // A plain message box with the application's title and an OK button.
  virtual void ShowMessage(const QString& text) = 0;
  // The default error handling's box for an error nobody caught.
  virtual void ShowException(const QString& text) = 0;
  // The folder chosen, or nothing when the user cancelled.
  virtual std::optional<QString> BrowseForFolder(const BrowseRequest& request) = 0;
  // The file chosen (its whole path), or nothing when the user cancelled.
  virtual std::optional<QString> ChooseFile(const FileRequest& request) = 0;
};

// Where the service in use is kept. Until a program or test puts its own in use, a console
// service answers (see ConsoleDialogs).
ServiceSlot<DialogService>& DialogsSlot();
inline DialogService& Dialogs() {
  return DialogsSlot().Get();
}

inline MsgResult MessageDlg(MsgKind kind, const QString& text, MsgButtons buttons) {
  return Dialogs().MessageDlg(kind, text, buttons);
}
inline void ShowMessage(const QString& text) {
  Dialogs().ShowMessage(text);
}

// Writes every dialog to the standard streams and answers as Enter would: for programs
// without windows. Errors and warnings go to stderr, the rest to stdout.
class ConsoleDialogs : public DialogService {
 public:
  MsgResult MessageDlg(MsgKind kind, const QString& text, MsgButtons buttons) override;
  void ShowMessage(const QString& text) override;
  void ShowException(const QString& text) override;
  std::optional<QString> BrowseForFolder(const BrowseRequest& request) override;
  std::optional<QString> ChooseFile(const FileRequest& request) override;
};
