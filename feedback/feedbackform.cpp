#include "feedbackform.h"

#include "dialogs.h"
#include "feedbackpresets.h"
#include "fontfit.h"
#include "formparts.h"
#include "mailerrors.h"
#include "mailmessage.h"
#include "programinfo.h"
#include "smtpclient.h"
#include "stringtable.h"

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>

#include <exception>

using namespace Qt::Literals::StringLiterals;

namespace {

QLineEdit* MakeAutomaticEdit(QWidget* parent, const QString& name, const QRect& where,
                             const QString& hint) {
  QLineEdit* edit = Named(new QLineEdit(parent), name);
  edit->setGeometry(where);
  edit->setReadOnly(true);
  edit->setToolTip(hint);
  // Filled by the program, never typed into: shown in the colour of a button face.
  QPalette palette = edit->palette();
  palette.setColor(QPalette::Base, palette.color(QPalette::Button));
  edit->setPalette(palette);
  return edit;
}

// Disables the form's controls and shows the hourglass while a send runs, and undoes both when
// it ends, however it ends. What is kept stays usable: the Close button, which aborts the
// send, and the status bar that tells how far it has come.
class BusyForm {
 public:
  BusyForm(QWidget& form, const QList<const QWidget*>& keep, bool& sending) : sending_(sending) {
    sending_ = true;
    for (QWidget* w : form.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      if (keep.contains(w) || !w->isEnabled()) continue;
      w->setEnabled(false);
      disabled_ << w;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
  }
  ~BusyForm() {
    QApplication::restoreOverrideCursor();
    for (QWidget* w : disabled_) w->setEnabled(true);
    sending_ = false;
  }
  BusyForm(const BusyForm&) = delete;
  BusyForm& operator=(const BusyForm&) = delete;

 private:
  QList<QWidget*> disabled_;
  bool& sending_;
};

}  // namespace

TF_FB::TF_FB(QWidget* parent) : QDialog(parent) {
  setObjectName(u"F_FB"_s);
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setFixedSize(518, 350);
  setFont(QFont(u"MS Sans Serif"_s, 8));

  L_FormCapt = Named(new QLabel(this), u"L_FormCapt"_s);
  L_FormCapt->setGeometry(0, 0, 518, 29);
  L_FormCapt->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  QFont heading(u"Arial"_s);
  heading.setPixelSize(25);
  heading.setItalic(true);
  L_FormCapt->setFont(heading);

  Bevel1 = Bevel(this, u"Bevel1"_s, QRect(26, 27, 465, 2), QFrame::HLine);

  Label2 = PlacedLabel(this, u"Label2"_s, u"Version #"_s, QPoint(1, 44));
  E_Ver = MakeAutomaticEdit(this, u"E_Ver"_s, QRect(64, 40, 57, 24),
                            u"Version of application (Automatic)"_s);
  Label3 = PlacedLabel(this, u"Label3"_s, u"User Name"_s, QPoint(136, 44));
  E_UName =
      MakeAutomaticEdit(this, u"E_UName"_s, QRect(200, 40, 121, 24), u"User Name (Automatic)"_s);

  Label6 = PlacedLabel(this, u"Label6"_s, u"Mail Server"_s, QPoint(1, 68));
  FitFontToWidth(Label6, Label6->text(), 64 - 1);  // ends where the server box begins
  Label6->adjustSize();
  CB_MailServer = Named(new QComboBox(this), u"CB_MailServer"_s);
  CB_MailServer->setGeometry(64, 64, 121, 21);
  CB_MailServer->addItems({u"UK Server"_s, u"USA Server"_s});
  CB_MailServer->setToolTip(u"Select which ever location is nearest to you"_s);

  Label9 = PlacedLabel(this, u"Label9"_s, u"Feedback Type"_s, QPoint(309, 68));
  CB_Subject = Named(new QComboBox(this), u"CB_Subject"_s);
  CB_Subject->setGeometry(392, 64, 121, 21);
  CB_Subject->setEditable(true);
  CB_Subject->setInsertPolicy(QComboBox::NoInsert);
  CB_Subject->addItems({u"Bug Report"_s, u"Comments"_s, u"Wish List"_s});
  CB_Subject->setToolTip(
      u"Select what kind of feedback it is (choose from two in list, or enter your own)"_s);

  Label5 = PlacedLabel(this, u"Label5"_s, u"Your E-Mail"_s, QPoint(1, 92));
  E_EMailAddr = Named(new QLineEdit(this), u"E_EMailAddr"_s);
  E_EMailAddr->setGeometry(64, 88, 225, 24);
  E_EMailAddr->setToolTip(u"Enter your E-mail address here (Required)"_s);

  Bevel3 = Bevel(this, u"Bevel3"_s, QRect(8, 120, 206, 2), QFrame::HLine);
  Label1 = PlacedLabel(this, u"Label1"_s, u"Your Comments"_s, QPoint(222, 115));
  Bevel2 = Bevel(this, u"Bevel2"_s, QRect(303, 120, 206, 2), QFrame::HLine);

  M_Feedback = Named(new QPlainTextEdit(this), u"M_Feedback"_s);
  M_Feedback->setGeometry(2, 128, 513, 169);
  M_Feedback->setLineWrapMode(QPlainTextEdit::NoWrap);
  M_Feedback->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  M_Feedback->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  M_Feedback->setTabChangesFocus(true);

  SpeedButton1 = Named(new QToolButton(this), u"SpeedButton1"_s);
  SpeedButton1->setGeometry(362, 303, 73, 25);
  SpeedButton1->setText(u"&Send"_s);
  SpeedButton1->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
  SpeedButton1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  SpeedButton1->setFocusPolicy(Qt::NoFocus);
  SpeedButton1->setToolTip(u"Send Mail"_s);

  CancelButton = Named(new QToolButton(this), u"CancelButton"_s);
  CancelButton->setGeometry(440, 303, 75, 25);
  CancelButton->setText(u"&Close"_s);
  CancelButton->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
  CancelButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  CancelButton->setFocusPolicy(Qt::NoFocus);
  CancelButton->setToolTip(u"Close window"_s);

  HelpPanel = Named(new QStatusBar(this), u"HelpPanel"_s);
  HelpPanel->setGeometry(0, 331, 518, 19);
  HelpPanel->setSizeGripEnabled(false);
  // Shows progress only; it takes no clicks.
  HelpPanel->setAttribute(Qt::WA_TransparentForMouseEvents);
  HelpPanel0 = Named(new QLabel(HelpPanel), u"HelpPanel0"_s);
  HelpPanel0->setFixedWidth(150);
  HelpPanel1 = Named(new QLabel(HelpPanel), u"HelpPanel1"_s);
  HelpPanel->addWidget(HelpPanel0);
  HelpPanel->addWidget(HelpPanel1, 1);

  setTabOrder(E_Ver, E_UName);
  setTabOrder(E_UName, E_EMailAddr);
  setTabOrder(E_EMailAddr, M_Feedback);
  setTabOrder(M_Feedback, CB_MailServer);
  setTabOrder(CB_MailServer, CB_Subject);

  MailMsg = new TmsMessage(this);
  MailMsg->setObjectName(u"MailMsg"_s);
  MailMsg->SetContentType(u"text/plain"_s);
  MailMsg->SetReturnReceipt(false);
  SMTP = new TmsSMTP(this);
  SMTP->setObjectName(u"SMTP"_s);
  SMTP->SetDefaultPort(25);
  SMTP->SetMailMessage(MailMsg);

  connect(SpeedButton1, &QToolButton::clicked, this, &TF_FB::SpeedButton1Click);
  connect(CancelButton, &QToolButton::clicked, this, &TF_FB::CancelButtonClick);
  connect(SMTP, &TmsSMTP::OnOpen, this, &TF_FB::SMTPOpen);
  connect(SMTP, &TmsSMTP::OnSending, this, &TF_FB::SMTPSending);
  connect(SMTP, &TmsSMTP::OnMailSent, this, &TF_FB::SMTPMailSent);
  connect(SMTP, &TmsSMTP::OnError, this, &TF_FB::SMTPError);

  FormCreate();

  const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
  if (screen) move(screen->availableGeometry().center() - rect().center());
}

TF_FB::~TF_FB() = default;

void TF_FB::FormCreate() {
  E_Ver->setText(FileVersionText());
  L_FormCapt->setText(LoadStr(Str::FeedbackHeading));
  setWindowTitle(LoadStr(Str::FeedbackFormCaption));
  CB_MailServer->setCurrentIndex(0);
  CB_Subject->setCurrentIndex(0);
}

QStringList TF_FB::FeedbackLines() const {
  QStringList lines = M_Feedback->toPlainText().split(u'\n');
  if (lines.last().isEmpty()) lines.removeLast();
  return lines;
}

void TF_FB::SpeedButton1Click() {
  if (sending_) return;
  // Blanks around a pasted address are no part of it.
  const QString address = E_EMailAddr->text().trimmed();
  if (address.isEmpty()) {
    MessageDlg(MsgKind::Information, LoadStr(Str::FeedbackAddressRequired), mbOK);
    return;
  }
  const QStringList feedback = FeedbackLines();
  if (feedback.isEmpty() &&
      MessageDlg(MsgKind::Confirmation, LoadStr(Str::FeedbackEmpty), mbYes | mbNo) == MsgResult::No)
    return;

  closeRequested_ = false;
  SendFeedback(address, feedback);
  // Closing was put off while the send ran.
  if (closeRequested_) close();
}

void TF_FB::SendFeedback(const QString& address, const QStringList& feedback) {
  BusyForm busy(*this, {CancelButton, HelpPanel}, sending_);
  const FeedbackPresets presets = LoadFeedbackPresets();
  SMTP->SetServer(CB_MailServer->currentIndex() == 1 ? presets.usaServer : presets.ukServer);

  MailMsg->Sender().SetAddress(address);
  MailMsg->Sender().SetName(E_UName->text());
  MailMsg->SetSubject(u"Saltmarch 98 v"_s + FileVersionText() + u' ' + CB_Subject->currentText());
  MailMsg->Body().clear();
  MailMsg->Body() << QString() << u"[Beta Version]"_s << QString() << feedback;
  MailMsg->Recipients().Clear();
  MailMsg->Recipients().Add(presets.mailbox, LoadStr(Str::AppTitle) + u" Feedback"_s);

  try {
    // Loading the socket library is guarded with the send, so its failure is reported the
    // same way and the form comes back enabled.
    SMTP->SetWinsockLoaded(true);
    SMTP->Send();
  } catch (const ECanceledError& error) {
    // Whoever closed the form knows why the send ended.
    if (!closeRequested_) ShowMessage(error.Message());
  } catch (const EMailError& error) {
    ShowMessage(error.Message());
  } catch (const std::exception& error) {
    ShowMessage(QString::fromLocal8Bit(error.what()));
  }
}

void TF_FB::CancelButtonClick() {
  close();
}

void TF_FB::reject() {
  // Closing during a send aborts it; the form closes once the send has let go of it.
  if (sending_) {
    closeRequested_ = true;
    SMTP->Cancel();
    return;
  }
  QDialog::reject();
}

void TF_FB::keyPressEvent(QKeyEvent* event) {
  // Escape does not close the form: no button of it is a cancel button, and a slip of the key
  // would throw away what the tester has written. During a send it aborts the send.
  if (event->key() == Qt::Key_Escape) {
    if (sending_) SMTP->Cancel();
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TF_FB::SMTPOpen() {
  HelpPanel1->setText(LoadStr(Str::FeedbackOpeningConnection));
}

void TF_FB::SMTPSending() {
  HelpPanel1->setText(LoadStr(Str::FeedbackSending));
}

void TF_FB::SMTPMailSent() {
  HelpPanel1->clear();
  ShowMessage(LoadStr(Str::FeedbackMailSent));
}

void TF_FB::SMTPError(const QString& text) {
  HelpPanel1->setText(LoadStr(Str::FeedbackError) + u" : "_s + text);
}
