#pragma once

#include <QString>

// The feedback form's entries of the program's string table.
namespace FbStr {
enum Id : int {
  FormCaption = 65259,  // "Send Beta Version Feedback To P.W.S"
  Heading = 65260,      // "Beta Version Feedback Form"
  AddressRequired = 65261,
  EmptyFeedback = 65262,
  SendingMail = 65263,
  MailSent = 65232,
  OpeningConnection = 65233,
  Error = 65313,
};
}  // namespace FbStr

QString LoadFbStr(int id);
