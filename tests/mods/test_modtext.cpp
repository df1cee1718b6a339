#include "csvtext.h"
#include "jsontext.h"
#include "modtext.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

TEST(CsvText, QuotedCellsSurviveARoundTrip) {
  const QStringList cells = {u"a,b"_s, u"say \"hi\""_s, u"two\nlines"_s, QString(), u"x"_s};
  QString error;
  const auto rows = ParseCsv(CsvLine(cells) + u"\n\r\nlast"_s, error);
  ASSERT_TRUE(rows) << error.toStdString();
  ASSERT_EQ(rows->size(), 2u);
  EXPECT_EQ((*rows)[0].cells, cells);
  EXPECT_EQ((*rows)[1].line, 5);
}

TEST(CsvText, DamagedFilesGiveMessagesNeverCrashes) {
  UnitRecords records{};
  for (int position = 0; position < UnitCount; ++position)
    records[position].Index = UnitAt(position).index;
  QRandomGenerator random(11);
  for (const QByteArray& clean : {ExportJson(records), ExportCsv(records)}) {
    for (int round = 0; round < 300; ++round) {
      QByteArray damaged = clean;
      for (int n = 0; n < 1 + round % 5; ++n) {
        damaged[random.bounded(int(damaged.size()))] = char(random.bounded(256));
      }
      if (round % 7 == 0) damaged.truncate(random.bounded(int(damaged.size())));
      QString error;
      if (!ParseModText(damaged, error)) {
        EXPECT_FALSE(error.isEmpty());
      }
    }
  }
}

TEST(JsonText, OnlyAKeyGivenTwiceInOneObjectIsRepeated) {
  // One key in two units, in an object within a unit, strings that look like keys or braces.
  const QByteArray apart = R"({"Units": [{"Armor": 1, "Name": "a \"Armor\": {"},
      {"Armor": 2, "x": ["Armor", "Armor"], "y": {"Armor": 3}}], "Armor": {}})";
  EXPECT_FALSE(FirstRepeatedKey(apart));
  // Letter case, blanks and escapes do not make another key; lines end in CR, CRLF or LF.
  const auto repeated = FirstRepeatedKey(
      "{\"Units\": [{\"\\u00c4rmor\": 1,\r\"x\": {\"y\": 2},\r\n \" \u00e4RMOR\": 2}]}");
  ASSERT_TRUE(repeated);
  EXPECT_EQ(repeated->key, u" \u00e4RMOR"_s);
  EXPECT_EQ(repeated->firstLine, 1);
  EXPECT_EQ(repeated->line, 3);
}

}  // namespace
