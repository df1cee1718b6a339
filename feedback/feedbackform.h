#pragma once

#include <QDialog>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QStatusBar;
class QToolButton;
class TmsMessage;
class TmsSMTP;

// The beta feedback form: the tester writes a comment, a bug report or a wish and mails it to
// the makers' support mailbox through one of two outgoing mail servers. Progress and failures
// show in the status bar and in message boxes; the form stays open after every send.
class TF_FB : public QDialog {
  Q_OBJECT
 public:
  explicit TF_FB(QWidget* parent = nullptr);
  ~TF_FB() override;

  void FormCreate();
  void SpeedButton1Click();
  void CancelButtonClick();
  void SMTPOpen();
  void SMTPSending();
  void SMTPMailSent();
  void SMTPError(const QString& text);

  void reject() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // Steps 3 to 11 of a send: the form busy, the message composed and sent.
  void SendFeedback(const QString& address, const QStringList& feedback);
  // The memo's lines as the user sees them; a final line break adds no line.
  QStringList FeedbackLines() const;

  QLabel* L_FormCapt;
  QFrame* Bevel1;
  QLabel* Label2;
  QLineEdit* E_Ver;
  QLabel* Label3;
  QLineEdit* E_UName;
  QLabel* Label6;
  QComboBox* CB_MailServer;
  QLabel* Label9;
  QComboBox* CB_Subject;
  QLabel* Label5;
  QLineEdit* E_EMailAddr;
  QFrame* Bevel3;
  QLabel* Label1;
  QFrame* Bevel2;
  QPlainTextEdit* M_Feedback;
  QToolButton* SpeedButton1;
  QToolButton* CancelButton;
  QStatusBar* HelpPanel;
  QLabel* HelpPanel0;
  QLabel* HelpPanel1;
  TmsMessage* MailMsg;
  TmsSMTP* SMTP;

  bool sending_ = false;
  bool closeRequested_ = false;  // Close was asked for during a send
};
