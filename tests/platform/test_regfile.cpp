#include "regfile.h"
#include "sampleregistry.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kUser = QStringLiteral("HKEY_CURRENT_USER");
const QString kMachine = QStringLiteral("HKEY_LOCAL_MACHINE");

TEST(RegFile, ReadsStringsDwordsAndKeepsOtherTypes) {
  const QByteArray text =
      "REGEDIT4\r\n\r\n"
      "[HKEY_CURRENT_USER\\SOFTWARE\\Pellworth Software\\Saltmarch98]\r\n"
      "\"Dune2KLoc\"=\"C:\\\\Games\\\\Dune2000\\\\\"\r\n"
      "\"ShowNoBackupWarn\"=dword:0000002a\r\n"
      "\"Quote\"=\"say \\\"hi\\\"\"\r\n"
      "\"Blob\"=hex:01,02,\\\r\n  03\r\n"
      "@=\"default\"\r\n"
      "; a remark\r\n";
  const auto hive = RegHive::Parse(text, kMachine);
  ASSERT_TRUE(hive);
  const QString key =
      QStringLiteral("HKEY_CURRENT_USER\\SOFTWARE\\Pellworth Software\\Saltmarch98");
  ASSERT_TRUE(hive->Value(key, QStringLiteral("Dune2KLoc")));
  EXPECT_EQ(*hive->Value(key, QStringLiteral("Dune2KLoc")),
            RegValue::String(QStringLiteral("C:\\Games\\Dune2000\\")));
  EXPECT_EQ(*hive->Value(key, QStringLiteral("shownobackupwarn")), RegValue::Dword(42));
  EXPECT_EQ(hive->Value(key, QStringLiteral("Quote"))->text, QStringLiteral("say \"hi\""));
  EXPECT_EQ(hive->Value(key, QStringLiteral("Blob"))->type, RegValue::Type::Other);
  EXPECT_EQ(hive->Value(key, QString())->text, QStringLiteral("default"));
  // Keys compare without case and without the separators at their ends.
  EXPECT_TRUE(hive->HasKey(
      QStringLiteral("hkey_current_user\\software\\PELLWORTH SOFTWARE\\saltmarch98\\")));
  EXPECT_FALSE(hive->Value(key, QStringLiteral("Missing")));
}

TEST(RegFile, WritesWhatItReadsBack) {
  RegHive hive;
  const QString key = QStringLiteral("HKEY_CURRENT_USER\\SOFTWARE\\X");
  hive.Set(key, QStringLiteral("Text"), RegValue::String(QStringLiteral("a\\b \"c\" ß")));
  hive.Set(key, QStringLiteral("Number"), RegValue::Dword(0xFFFFFFFFu));
  hive.Set(key + QStringLiteral("\\Hints"), QStringLiteral("Hint1"), RegValue::Dword(0));
  hive.Set(key, QStringLiteral("text"), RegValue::String(QStringLiteral("replaced")));
  const QByteArray text = hive.Serialize();
  EXPECT_TRUE(text.startsWith("REGEDIT4\r\n"));
  EXPECT_TRUE(text.contains("\"Number\"=dword:ffffffff"));
  const auto back = RegHive::Parse(text, kUser);
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, hive);
  EXPECT_EQ(back->Value(key, QStringLiteral("TEXT"))->text, QStringLiteral("replaced"));
}

TEST(RegFile, ReadsWineRegistryFiles) {
  const QByteArray text =
      "WINE REGISTRY Version 2\n"
      ";; All keys relative to \\\\Machine\n"
      "#arch=win32\n\n"
      "[Software\\\\Westwood\\\\Dune 2000] 1700000000\n"
      "#time=1d9b\n"
      "\"InstallPath\"=\"C:\\\\Westwood\\\\Dune2000\\\\DUNE2000.EXE\"\n"
      "\"Language\"=dword:00000001\n"
      "\"Expand\"=str(2):\"%SystemRoot%\"\n";
  const auto hive = RegHive::Parse(text, kMachine);
  ASSERT_TRUE(hive);
  const RegValue* path =
      hive->Value(QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Westwood\\Dune 2000"),
                  QStringLiteral("InstallPath"));
  ASSERT_TRUE(path);
  EXPECT_EQ(path->text, QStringLiteral("C:\\Westwood\\Dune2000\\DUNE2000.EXE"));
}

TEST(RegFile, RefusesWhatIsNotARegistryFile) {
  QString why;
  EXPECT_FALSE(RegHive::Parse("", kUser, &why));
  EXPECT_FALSE(RegHive::Parse("hello world\n", kUser, &why));
  EXPECT_FALSE(RegHive::Parse("REGEDIT4\n\"Outside\"=\"key\"\n", kUser, &why));
  EXPECT_FALSE(RegHive::Parse("REGEDIT4\n[HKEY_CURRENT_USER\\X\n", kUser, &why));
  EXPECT_FALSE(RegHive::Parse("REGEDIT4\n[X]\n\"Open=\"value\n", kUser, &why));
  EXPECT_FALSE(RegHive::Parse("REGEDIT4\n[X]\n\"N\"=dword:123456789\n", kUser, &why));
  EXPECT_FALSE(RegHive::Parse("REGEDIT4\n[X]\n\"N\"=\"a\" trailing\n", kUser, &why));
  EXPECT_TRUE(why.startsWith(QStringLiteral("line 3")));
  // Data that ends where the next line was to go on would not read back the same.
  EXPECT_FALSE(RegHive::Parse("REGEDIT4\n[X]\n\"N\"=hex:01,\\\n", kUser, &why));
  EXPECT_TRUE(why.startsWith(QStringLiteral("line 3")));
  EXPECT_FALSE(RegHive::Parse("REGEDIT4\n[X]\n\"N\"=hex:01,\\\\\n", kUser, &why));
  // A line that goes on is never taken for a key that would start in it.
  EXPECT_FALSE(RegHive::Parse("REGEDIT4\n[X]\n\\\n[Y]\n", kUser, &why));
  EXPECT_FALSE(RegFileView::Index("REGEDIT4\n[X]\n\\\n[Y]\n", kUser)->HasKey(u"Y"_s));
  // The line count goes on across continued lines.
  EXPECT_FALSE(RegHive::Parse("REGEDIT4\n[X]\n\"N\"=hex:01,\\\n 02\nbad\n", kUser, &why));
  EXPECT_TRUE(why.startsWith(QStringLiteral("line 5"))) << why.toStdString();
}

TEST(RegFile, EachLineIsDecodedOnItsOwn) {
  // A REGEDIT4 file edited by hand in the ANSI code page beside the editor's UTF-8 lines.
  const QByteArray text =
      "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\S]\r\n"
      "\"Dune2KLoc\"=\"/home/j\xC3\xBCrgen/Dune2000/\"\r\n"
      "\"Note\"=\"Caf\xE9 \x80 \x9F\"\r\n"
      "\"Hex\"=hex:00,\\\r\n  01\r\n";
  const auto hive = RegHive::Parse(text, kUser);
  ASSERT_TRUE(hive);
  const QString key = QStringLiteral("HKEY_CURRENT_USER\\S");
  EXPECT_EQ(hive->Value(key, QStringLiteral("Dune2KLoc"))->text,
            QStringLiteral("/home/j\u00FCrgen/Dune2000/"));
  // Windows-1252, not Latin-1: 0x80 is the euro sign, 0x9F the Y with diaeresis.
  EXPECT_EQ(hive->Value(key, QStringLiteral("Note"))->text,
            QStringLiteral("Caf\u00E9 \u20AC \u0178"));

  // Values nobody changed go back as they were read, also when set to what they hold.
  RegHive changed = *hive;
  changed.Set(key, QStringLiteral("dune2kloc"),
              RegValue::String(QStringLiteral("/home/j\u00FCrgen/Dune2000/")));
  changed.Set(key, QStringLiteral("New"), RegValue::Dword(1));
  const QByteArray out = changed.Serialize();
  EXPECT_TRUE(out.contains("\"Note\"=\"Caf\xE9 \x80 \x9F\"\r\n"));
  EXPECT_TRUE(out.contains("\"Dune2KLoc\"=\"/home/j\xC3\xBCrgen/Dune2000/\"\r\n"));
  EXPECT_TRUE(out.contains("\"Hex\"=hex:00,\\\r\n  01\r\n"));
  EXPECT_TRUE(out.contains("\"New\"=dword:00000001\r\n"));
  // A changed value is written anew, in UTF-8.
  changed.Set(key, QStringLiteral("Note"), RegValue::String(QStringLiteral("\u20AC")));
  EXPECT_TRUE(changed.Serialize().contains("\"Note\"=\"\xE2\x82\xAC\"\r\n"));
  EXPECT_EQ(*RegHive::Parse(changed.Serialize(), kUser), changed);
}

TEST(RegFile, ManyValuesInOneKeyAndManyKeysStayLinear) {
  // Tens of thousands of each would take minutes if every value searched the whole hive.
  QByteArray text = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Big]\r\n";
  for (int i = 0; i < 40000; ++i) text += "\"V" + QByteArray::number(i) + "\"=dword:00000001\r\n";
  for (int i = 0; i < 20000; ++i) text += "[HKEY_CURRENT_USER\\K" + QByteArray::number(i) + "]\r\n";
  text += "[hkey_current_user\\big]\r\n\"v39999\"=\"last\"\r\n";
  const auto hive = RegHive::Parse(text, kUser);
  ASSERT_TRUE(hive);
  EXPECT_EQ(hive->Keys().size(), 20001u);
  EXPECT_EQ(hive->Keys()[0].values.size(), 40000u);
  EXPECT_EQ(hive->Value(QStringLiteral("HKEY_CURRENT_USER\\BIG"), QStringLiteral("V39999"))->text,
            QStringLiteral("last"));
  EXPECT_TRUE(hive->HasKey(QStringLiteral("HKEY_CURRENT_USER\\K19999")));
}

TEST(RegFileView, FindsWhatTheWholeParseFindsInAGeneratedSystemReg) {
  const QByteArray text =
      SampleRegistry::WineSystemReg(6000, QStringLiteral("C:\\Westwood\\Dune2000\\Dune2000.exe"));
  const auto view = RegFileView::Index(text, kMachine);
  const auto hive = RegHive::Parse(text, kMachine);
  ASSERT_TRUE(view && hive);
  EXPECT_EQ(view->KeyCount(), 6000u);
  EXPECT_EQ(view->Arch(), QStringLiteral("win64"));
  EXPECT_LT(view->MemoryBytes(), std::size_t(text.size()) * 3 / 2);
  std::size_t values = 0;
  for (const RegHive::Key& key : hive->Keys()) {
    for (const RegHive::Entry& entry : key.values) {
      ASSERT_EQ(view->Value(key.path.toUpper(), entry.name), entry.value) << key.path.toStdString();
      ++values;
    }
  }
  EXPECT_GT(values, 6000u);
  EXPECT_EQ(view->Value(QStringLiteral("HKEY_LOCAL_MACHINE\\software\\wow6432node\\westwood\\"
                                       "dune 2000\\"),
                        QStringLiteral("installpath")),
            RegValue::String(QStringLiteral("C:\\Westwood\\Dune2000\\Dune2000.exe")));
  EXPECT_FALSE(view->HasKey(QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Westwood\\Dune 2000")));
  const RegHive::Key& hex = hive->Keys()[1];
  ASSERT_FALSE(hex.values.empty());
  EXPECT_TRUE(hex.values[0].value.text.startsWith(QStringLiteral("hex:")));
  EXPECT_FALSE(hex.values[0].value.text.contains(u'\\'));  // continued lines joined
}

TEST(RegFileView, ReadsWhatWineEscapesAndPassesOverBadLines) {
  const QByteArray text =
      "WINE REGISTRY Version 2\n#arch=win32\n\n"
      "[Software\\\\Caf\\xe9\\\\A\\]B] 1\n\"N\"=\"1\"\n"
      "[Software\\\\Broken] 1\nnot a value\n\"N\"=\"kept\"\n"
      "[Software\\\\Twice] 1\n\"N\"=\"first\"\n"
      "[Software\\\\Other] 1\n\"N\"=\"other\"\n"
      "[software\\\\TWICE] 1\n\"n\"=\"second\"\n";
  const auto view = RegFileView::Index(text, kMachine);
  ASSERT_TRUE(view);
  EXPECT_EQ(view->Arch(), QStringLiteral("win32"));
  EXPECT_EQ(view->Value(QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\CAF\u00C9\\a]b"),
                        QStringLiteral("N")),
            RegValue::String(QStringLiteral("1")));
  EXPECT_EQ(view->Value(QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Broken"), QStringLiteral("N"))
                ->text,
            QStringLiteral("kept"));
  // A key written twice: the later value wins, as in the whole parse.
  EXPECT_EQ(
      view->Value(QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Twice"), QStringLiteral("N"))->text,
      QStringLiteral("second"));
  EXPECT_FALSE(
      view->Value(QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Missing"), QStringLiteral("N")));
  EXPECT_FALSE(RegFileView::Index("not a registry\n", kMachine));
}

}  // namespace
