#include "qtdialogs.h"

#include "folderbrowser.h"
#include "messagebox.h"

#include <QApplication>
#include <QMessageBox>

QString DialogText(const QString& text) {
  QString shown = text;
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  shown.replace(QChar(u'\r'), QChar(u'\n'));
  return shown;
}

MsgResult QtDialogs::MessageDlg(MsgKind kind, const QString& text, MsgButtons buttons) {
  MessageBox box(kind, DialogText(text), buttons, QApplication::activeWindow());
  return box.Run();
}

void QtDialogs::ShowMessage(const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, Title(), DialogText(text), QMessageBox::Ok,
                  QApplication::activeWindow());
  box.exec();
}

void QtDialogs::ShowException(const QString& text) {
  QMessageBox box(QMessageBox::Critical, Title(), DialogText(text), QMessageBox::Ok,
                  QApplication::activeWindow());
  box.exec();
}

std::optional<QString> QtDialogs::BrowseForFolder(const BrowseRequest& request) {
  FolderBrowser browser(request, QApplication::activeWindow());
  if (browser.exec() != QDialog::Accepted) return std::nullopt;
  return browser.SelectedFolder();
}

QString QtDialogs::Title() const {
  return title_.isEmpty() ? QApplication::applicationDisplayName() : title_;
}
