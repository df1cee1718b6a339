#pragma once

#include "dialogs.h"

#include <deque>
#include <functional>
#include <vector>

// A dialog service for tests: it records every dialog shown (kind, exact text, buttons) and
// answers questions from a script. Notices with only an OK button answer themselves; a question
// that finds the script empty is counted in `unexpected` and answered as the close box would.
// In use for as long as it lives.
class ScriptedDialogs : public DialogService {
 public:
  enum class Type { Message, Plain, Exception, Browse, File };

  struct Record {
    Type type = Type::Message;
    MsgKind kind = MsgKind::Information;
    QString text;  // message text, or the browser's or file dialog's title
    MsgButtons buttons = 0;
    MsgResult answer = MsgResult::None;
    // Browsers: what the callback preselected, showed and allowed for the folder chosen.
    QString browseStart;
    QString browseStatus;
    bool browseOkEnabled = false;
    // File dialogs: what was asked for.
    FileRequest file;
  };

  // What a scripted folder browser does: it may drive the request's callback and gives the
  // folder chosen or nothing for Cancel.
  using BrowseScript = std::function<std::optional<QString>(const BrowseRequest&, Record&)>;

  // Queues the answer to the next question.
  ScriptedDialogs& Answer(MsgResult answer);
  // Queues what the next folder browser does.
  ScriptedDialogs& Browse(BrowseScript script);
  // The user selects `folder` and presses OK, if the browser lets them; else Cancel.
  ScriptedDialogs& BrowseChooses(const QString& folder);
  ScriptedDialogs& BrowseCancels();
  // The next file dialog gives `file`, or is cancelled.
  ScriptedDialogs& FileDialogChooses(const QString& file);
  ScriptedDialogs& FileDialogCancels();
  // Runs before every dialog answers, e.g. to look at windows while the dialog would be up.
  std::function<void(const Record&)> onDialog;

  MsgResult MessageDlg(MsgKind kind, const QString& text, MsgButtons buttons) override;
  void ShowMessage(const QString& text) override;
  void ShowException(const QString& text) override;
  std::optional<QString> BrowseForFolder(const BrowseRequest& request) override;
  std::optional<QString> ChooseFile(const FileRequest& request) override;

  // Texts of all dialogs so far, in order.
  QStringList Texts() const;
  void Clear();

  std::vector<Record> log;
  std::deque<MsgResult> answers;
  std::deque<BrowseScript> browses;
  std::deque<std::optional<QString>> files;
  int unexpected = 0;

 private:
  ServiceSlot<DialogService>::InUse inUse_{DialogsSlot(), *this};
};
