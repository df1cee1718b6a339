#pragma once

#include <QString>

// Where feedback goes: the makers' support mailbox and the two outgoing mail servers offered
// on the form. A deployment (or a test) replaces any of them with a string value under the
// editor's own registry key (the Feedback... names in registrynames.h); an empty value keeps
// the built-in one.
struct FeedbackPresets {
  QString mailbox;
  QString ukServer;
  QString usaServer;
};

FeedbackPresets BuiltInFeedbackPresets();
// The presets in force now: the registry's values over the built-in ones.
FeedbackPresets LoadFeedbackPresets();
