#include "fbstrings.h"

#include <QHash>

using namespace Qt::Literals::StringLiterals;

QString LoadFbStr(int id) {
  static const QHash<int, QString> table = {
      {FbStr::FormCaption, u"Send Beta Version Feedback To P.W.S"_s},
      {FbStr::Heading, u"Beta Version Feedback Form"_s},
      {FbStr::AddressRequired, u"You need to specify your mail address"_s},
      {FbStr::EmptyFeedback,
       u"You haven't typed anything in the feedback window, is this OK to send?"_s},
      {FbStr::SendingMail, u"Sending Mail..."_s},
      {FbStr::MailSent, u"Mail Sent Successfully."_s},
      {FbStr::OpeningConnection, u"Opening Connection"_s},
      {FbStr::Error, u"Error"_s},
  };
  return table.value(id);
}
