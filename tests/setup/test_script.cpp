#include "script.h"
#include "setupstrings.h"
#include "setuptestsupport.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

using namespace Qt::Literals::StringLiterals;

namespace {

TEST(ReadDecimal, ReadsLeadingDigitsOnly) {
  EXPECT_EQ(ReadDecimal(u"1234abc"), 1234u);
  EXPECT_EQ(ReadDecimal(u"007"), 7u);
  EXPECT_EQ(ReadDecimal(u" 12"), 0u);
  EXPECT_EQ(ReadDecimal(u"-5"), 0u);
  EXPECT_EQ(ReadDecimal(u""), 0u);
  EXPECT_EQ(ReadDecimal(u"4294967295"), 4294967295u);
  // Beyond 32 bits the value stays at the top instead of wrapping to a small number.
  EXPECT_EQ(ReadDecimal(u"4294967296"), 4294967295u);
  EXPECT_EQ(ReadDecimal(u"99999999999999999999999"), 4294967295u);
}

TEST(ParseScript, NeedsTheFourHeaderStringsAndOneCommand) {
  EXPECT_FALSE(ParseScript(u"\"P\" \"L\" \"10\" \"M\""));
  const auto script = ParseScript(u"\"P\" \"L\" \"10\" \"M\" \"C:@I\"");
  ASSERT_TRUE(script);
  EXPECT_EQ(script->productName, u"P"_s);
  EXPECT_EQ(script->defaultLocation, u"L"_s);
  EXPECT_EQ(script->requiredSpace, 10u);
  EXPECT_EQ(script->markerFile, u"M"_s);
  EXPECT_EQ(script->commands, QStringList{u"C:@I"_s});
}

TEST(ParseScript, TextOutsideQuotesIsIgnored) {
  const QString text =
      u"Remark line one\r\n"
      u"\"Saltmarch 98\" stray words X:Y C:\n"
      u"; a whole line of remarks\n"
      u"\"C:\\Program Files\\SM98\"\n\"2000000 bytes\"\"SMARCH.EXE\"\n"
      u"\"M:@I\\DATA\" and \"oE:A.EX_>A.EXE\"\n\n\"uX:TOOL.EXE!-q\" end\n"_s;
  const auto script = ParseScript(text);
  ASSERT_TRUE(script);
  EXPECT_EQ(script->productName, u"Saltmarch 98"_s);
  EXPECT_EQ(script->defaultLocation, u"C:\\Program Files\\SM98"_s);
  EXPECT_EQ(script->requiredSpace, 2000000u);
  EXPECT_EQ(script->commands,
            (QStringList{u"M:@I\\DATA"_s, u"oE:A.EX_>A.EXE"_s, u"uX:TOOL.EXE!-q"_s}));
}

TEST(ParseScript, StringsMayHoldLineBreaksAndAnOpenOneIsDropped) {
  const auto script = ParseScript(u"\"Two\nLines\" \"L\" \"1\" \"M\" \"D:a\nb\" \"D:open"_s);
  ASSERT_TRUE(script);
  EXPECT_EQ(script->productName, u"Two\nLines"_s);
  EXPECT_EQ(script->commands, QStringList{u"D:a\nb"_s});
}

TEST(ParseScript, RefusesStringsThatAreNotCommands) {
  for (const QString& bad : {u"c:lower"_s, u"C-no colon"_s, u"Z:unknown"_s, u"x"_s, u""_s,
                             u"oo:twice"_s, u"O:upper prefix"_s, u" C:blank"_s, u"uC"_s}) {
    EXPECT_FALSE(ParseScript(ScriptText({u"C:fine"_s, bad}))) << bad.toStdString();
  }
  for (const QString& good : {u"oM:x"_s, u"uD:y"_s, u"I:"_s, u"L:"_s}) {
    EXPECT_TRUE(ParseScript(ScriptText({good}))) << good.toStdString();
  }
}

TEST(ParseScript, CutsOnlyTheNamesAndKeepsWhatWouldNameAnotherPlace) {
  const QString longText(600, u'x');
  const auto script = ParseScript(u"\""_s + longText + u"\" \""_s + longText + u"\" \"1\" \""_s +
                                  longText + u"\" \"D:"_s + longText + u"\""_s);
  ASSERT_TRUE(script);
  EXPECT_EQ(script->productName.size(), 98);
  EXPECT_EQ(script->markerFile.size(), 510);
  EXPECT_EQ(script->defaultLocation, longText);
  EXPECT_EQ(script->commands.value(0), u"D:"_s + longText);
}

TEST(DecodeScriptText, ReadsTheWesternWindowsCodePage) {
#ifdef _WIN32
  if (GetACP() != 1252) GTEST_SKIP() << "the system's ANSI code page is " << GetACP();
#else
  // Elsewhere a script may be UTF-8 too.
  EXPECT_EQ(DecodeScriptText("\"Caf\xc3\xa9\""), u"\"Caf\u00e9\""_s);
#endif
  EXPECT_EQ(DecodeScriptText("\"Caf\xe9\""), u"\"Caf\u00e9\""_s);
  // The bytes where the code page differs from Latin-1, the unassigned ones standing for
  // themselves.
  EXPECT_EQ(DecodeScriptText("\x93"
                             "Dune\x99 \x80 5\x94 \x81\x9f"),
            u"\u201cDune\u2122 \u20ac 5\u201d \u0081\u0178"_s);
  EXPECT_EQ(DecodeScriptText(""), QString());
}

TEST(SetupText, ResolvesReferencesToTheStringTable) {
  EXPECT_EQ(SetupText(u"@1"_s), u"Setup"_s);
  EXPECT_EQ(SetupText(u"@7"_s), u"Format Of Install Script File Invalid\nInstallation Aborted"_s);
  EXPECT_EQ(SetupText(u"@17"_s), u"Insert Disk %d Into Drive"_s);
  EXPECT_EQ(SetupText(u"plain"_s), u"plain"_s);
  EXPECT_EQ(SetupText(u"@8"_s), QString());
  EXPECT_EQ(SetupText(u"@99999999999"_s), QString());
  EXPECT_TRUE(SetupString(smCompletedWithErrors)
                  .startsWith(u"Installation Completed. There were errors, the program may not "
                              u"operate correctly.\nPlease contact support for assistance.("_s));
  EXPECT_TRUE(SetupString(smCompletedWithErrors).endsWith(u')'));
}

}  // namespace
