#include "fbpresets.h"

#ifdef SMARCH_HAVE_REGACS
#include "regacs.h"
#endif

using namespace Qt::Literals::StringLiterals;

namespace {

// The one place the form reads its overrides from the editor's own key.
QString OwnValue(const QString& name, const QString& builtIn) {
#ifdef SMARCH_HAVE_REGACS
  const QString value = RegReadString(RegRoot::CurrentUser, kOwnKey, name, builtIn);
  return value.trimmed().isEmpty() ? builtIn : value.trimmed();
#else
  Q_UNUSED(name);
  return builtIn;
#endif
}

}  // namespace

FeedbackPresets BuiltInFeedbackPresets() {
  // Names under the reserved .example domain: until a deployment sets its own, nothing is
  // ever sent to a real mailbox by mistake.
  return {u"sm98.beta@pellworth.example"_s, u"smtp.uk.pellworth.example"_s,
          u"smtp.us.pellworth.example"_s};
}

FeedbackPresets LoadFeedbackPresets() {
  const FeedbackPresets builtIn = BuiltInFeedbackPresets();
  return {OwnValue(QString::fromUtf16(kMailboxValue), builtIn.mailbox),
          OwnValue(QString::fromUtf16(kUkServerValue), builtIn.ukServer),
          OwnValue(QString::fromUtf16(kUsaServerValue), builtIn.usaServer)};
}
