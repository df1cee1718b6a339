#include "editorcommands.h"

#include "programinfo.h"
#include "saltmarch.h"
#include "stringtable.h"

#include <QCoreApplication>

namespace {

// The oldest common-controls version whose toolbars look right: 4.71.
constexpr unsigned kCommonControls471 = 0x00040047;

}  // namespace

void AskForGameFolder(TSaltmarch& app, DialogService& ask) {
  if (ask.MessageDlg(MsgKind::Warning, LoadStr(Str::Err6NoGameFolder), mbYes | mbNo) ==
      MsgResult::Yes) {
    app.BrowseForGame();
  }
}

bool BackupAndReport(TSaltmarch& app, DialogService& ask) {
  if (app.BackupGameFile()) {
    ask.MessageDlg(MsgKind::Information, LoadStr(Str::BackupSuccessful), mbOK);
    return true;
  }
  ask.MessageDlg(MsgKind::Warning, LoadStr(Str::BackupFailed), mbOK);
  return false;
}

void ApplyEdits(TSaltmarch& app, DialogService& ask) {
  if (!app.BackupExists()) {
    switch (
        ask.MessageDlg(MsgKind::Warning, LoadStr(Str::NoBackupQuestion), mbYes | mbNo | mbCancel)) {
      case MsgResult::Yes:
        // What counts is a backup being there now, made just now or kept from before.
        BackupAndReport(app, ask);
        if (!app.BackupExists()) return;
        break;
      case MsgResult::No:
        if (ask.MessageDlg(MsgKind::Warning, LoadStr(Str::ApplyWithoutBackupQuestion),
                           mbOK | mbCancel) != MsgResult::OK) {
          return;
        }
        break;
      default:
        return;
    }
  }
  if (app.GameFolder.isEmpty()) {
    AskForGameFolder(app, ask);
    return;
  }
  app.Document->ApplyChanges();
}

void RunDune2000(TSaltmarch& app, DialogService& ask) {
  if (app.Store->HasUnappliedChanges()) {
    const MsgResult answer = ask.MessageDlg(
        MsgKind::Confirmation, LoadStr(Str::RunUnappliedQuestion), mbYes | mbNo | mbCancel);
    if (answer != MsgResult::Yes && answer != MsgResult::No) return;
    if (answer == MsgResult::Yes) ApplyEdits(app, ask);
  }
  if (app.GameFolder.isEmpty()) {
    AskForGameFolder(app, ask);
    return;
  }
  app.Store->RunGame();
}

bool ReadyToClose(TSaltmarch& app, DialogService& ask) {
  if (!app.CloseSettingsWindows()) return false;
  if (app.Store->HasUnappliedChanges()) {
    switch (ask.MessageDlg(MsgKind::Confirmation, LoadStr(Str::ExitUnappliedQuestion),
                           mbYes | mbNo | mbCancel)) {
      case MsgResult::Yes:
        ApplyEdits(app, ask);
        // Declined backups, a missing folder or a failed write all leave the edits in memory:
        // quitting now would lose them.
        if (app.Store->HasUnappliedChanges()) return false;
        break;
      case MsgResult::No:
        break;
      default:
        return false;
    }
  }
  // Windows that closed may still have work queued; it runs before the folders are saved.
  QCoreApplication::processEvents();
  app.SaveLocations();
  return true;
}

bool WantsCommonControlsUpdate(DialogService& ask) {
  return ProgramInfo().CommonControlsVersion() < kCommonControls471 &&
         ask.MessageDlg(MsgKind::Warning, LoadStr(Str::Err10OldCommonControls), mbYes | mbNo) ==
             MsgResult::Yes;
}
