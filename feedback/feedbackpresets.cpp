#include "feedbackpresets.h"

#include "registrykeys.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// A value under the editor's own key, or the built-in text when there is none or it is empty.
QString OwnValue(const QString& name, const QString& builtIn) {
  const QString value = RegReadString(RegRoot::CurrentUser, kOwnKey, name, builtIn).trimmed();
  return value.isEmpty() ? builtIn : value;
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
  return {OwnValue(kFeedbackMailboxValue, builtIn.mailbox),
          OwnValue(kFeedbackServerUkValue, builtIn.ukServer),
          OwnValue(kFeedbackServerUsaValue, builtIn.usaServer)};
}
