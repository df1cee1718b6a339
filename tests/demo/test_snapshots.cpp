// The snapshots program as ./run --snapshots starts it: the count it prints is the pictures
// there are.

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

TEST(Snapshots, SaysHowManyPicturesItWroteAndWroteThatMany) {
  QTemporaryDir out;
  QProcess snapshots;
  snapshots.start(QStringLiteral(SNAPSHOTS_EXE), {out.path()});
  ASSERT_TRUE(snapshots.waitForFinished(240000));
  EXPECT_EQ(snapshots.exitCode(), 0) << snapshots.readAllStandardError().toStdString();
  const QString printed = QString::fromLocal8Bit(snapshots.readAllStandardOutput());
  const auto said = QRegularExpression(u"\\n(\\d+) pictures written\\r?\\n$"_s).match(printed);
  ASSERT_TRUE(said.hasMatch()) << printed.toStdString();
  const QStringList pictures = QDir(out.path()).entryList({u"*.png"_s}, QDir::Files);
  EXPECT_EQ(said.captured(1).toInt(), pictures.size()) << pictures.join(u' ').toStdString();
  for (const QString& window : {u"TF_Main.png"_s, u"TF_UnitsTable.png"_s, u"SetupDlg.png"_s}) {
    EXPECT_TRUE(pictures.contains(window)) << window.toStdString();
  }
}

}  // namespace
