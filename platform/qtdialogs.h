#pragma once

#include "dialogs.h"

class QWidget;

// The dialog service of the windowed programs: Qt message boxes with the kinds' titles and
// icons, the buttons in their fixed order and the Enter/Escape/close-box rules, the folder
// browser and the file dialogs.
class QtDialogs : public DialogService {
 public:
  // `title` captions the plain message boxes: the application's title.
  explicit QtDialogs(QString title = QString()) : title_(std::move(title)) {}

  MsgResult MessageDlg(MsgKind kind, const QString& text, MsgButtons buttons) override;
  void ShowMessage(const QString& text) override;
  void ShowException(const QString& text) override;
  std::optional<QString> BrowseForFolder(const BrowseRequest& request) override;
  std::optional<QString> ChooseFile(const FileRequest& request) override;

 private:
  QString Title() const;
  QString title_;
  // Where the last file was chosen: the next file dialog starts there.
  QString lastFolder_;
};

// Turns the program's message text ("\r" line breaks) into what a label shows.
QString DialogText(const QString& text);
