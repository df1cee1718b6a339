#include "settingswin.h"

TSaltmarchSettingsWin::TSaltmarchSettingsWin(QWidget* parent) : QMdiSubWindow(parent) {
  if (SaltmarchApp) SaltmarchApp->RegisterSettingsWindow(this);
}

TSaltmarchSettingsWin::~TSaltmarchSettingsWin() {
  if (SaltmarchApp) SaltmarchApp->UnregisterSettingsWindow(this);
}

void TSaltmarchSettingsWin::SetEditMode(std::uint8_t mode) {
  FEditMode = mode;
  ApplyEditMode();
}

void TSaltmarchSettingsWin::MarkEdited(const QObject* control) {
  if (!showing_) edited_.insert(control);
}

bool TSaltmarchSettingsWin::event(QEvent* event) {
  if (event->type() != WM_RESETUNITS) return QMdiSubWindow::event(event);
  if (OnReset) {
    FResetting = true;
    // The flag is cleared again even when the reload fails.
    struct Clear {
      bool& flag;
      ~Clear() { flag = false; }
    } clear{FResetting};
    OnReset(this);
  }
  return true;
}
