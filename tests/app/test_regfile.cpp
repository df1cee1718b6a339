#include "regfile.h"

#include <gtest/gtest.h>

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
}

}  // namespace
