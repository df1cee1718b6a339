#pragma once

#include "sysinfo.h"

#include <QDialog>

#include <cstdint>

class QFrame;
class QLabel;
class QPlainTextEdit;
class QTabWidget;
class QTimer;
class QToolButton;
class QWidget;
class TAnimPicture;

// The About box: title, animation, a credits line running across the bottom, the licence and
// what the machine has (processor, memory). Create it, exec() it, and let it go out of scope.
// Creating it measures the processor's clock, which takes a moment (with the hourglass).
class TF_About : public QDialog {
  Q_OBJECT
 public:
  explicit TF_About(QWidget* parent = nullptr);

  // Handlers, public so tests and the snapshots can step the ticker.
  void OKButtonClick();
  void AnimTimerTimer();

  QLabel* L_AnimCaption;
  QLabel* copyrite;
  QToolButton* HelpButton;
  QToolButton* OKButton;
  QLabel* L_AppText;
  QFrame* Bevel3;
  QFrame* Bv_Anim;
  TAnimPicture* Anim;
  QTabWidget* PageControl1;
  QWidget* tsLicense;
  QPlainTextEdit* Txt_Licence;
  QWidget* tsSystemInfo;
  QLabel* L_CPUType;
  QLabel* L_TotalRam;
  QLabel* L_AvailRam;
  QLabel* L_MemLoad;
  QLabel* L_TotalVirt;
  QLabel* L_AvailVirt;
  QTimer* AnimTimer;
  ProcessorInfo CPUInfo;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void FormCreate();
  void FormShow();
  void FormHide();
  QLabel* ValueRow(const char* caption, const char* name, int top);
  void SetValue(QLabel* label, const QString& text);
};

// How the About box writes a byte count: in whole KB with the thousands separator of the
// user's locale (the default QLocale), then " KB".
QString KilobyteText(std::uint64_t bytes);
// A percentage right-aligned in three characters, then "%".
QString PercentText(int percent);
// The processor's name, and ", <speed> mhz" when the speed is known.
QString ProcessorText(const ProcessorInfo& processor);
