#include "qtdialogs.h"

#include "folderbrowser.h"
#include "messagebox.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
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

std::optional<QString> QtDialogs::ChooseFile(const FileRequest& request) {
  QFileDialog dialog(QApplication::activeWindow(), request.title, lastFolder_, request.filter);
  dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setDefaultSuffix(request.defaultSuffix);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  const QString chosen = dialog.selectedFiles().constFirst();
  lastFolder_ = QFileInfo(chosen).absolutePath();
  return QDir::toNativeSeparators(chosen);
}

QString QtDialogs::Title() const {
  return title_.isEmpty() ? QApplication::applicationDisplayName() : title_;
}
