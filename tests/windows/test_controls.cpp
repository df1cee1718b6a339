#include "columnmenu.h"
#include "spinedit.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

TEST(SpinEdit, ReadsTheWholeNumberInItsTextOrItsMinimum) {
  TSpinEdit spin;
  spin.SetRange(3, 9);
  spin.SetText(QStringLiteral("7"));
  EXPECT_EQ(spin.Value(), 7);
  spin.SetText(QStringLiteral("seven"));
  EXPECT_EQ(spin.Value(), 3);
  spin.SetText(QString());
  EXPECT_EQ(spin.Value(), 3);
  spin.SetText(QStringLiteral("12"));
  EXPECT_EQ(spin.Value(), 12);  // typed beyond the range: kept until the field is left
  EXPECT_EQ(spin.ClampedValue(), 9);
}

TEST(SpinEdit, SettingClampsAndReportsOnlyRealChanges) {
  TSpinEdit spin;
  spin.SetRange(0, 255);
  QSignalSpy changes(&spin, &TSpinEdit::Change);
  spin.SetValue(300);
  EXPECT_EQ(spin.Text(), QStringLiteral("255"));
  EXPECT_EQ(changes.size(), 1);
  spin.SetValue(255);
  spin.SetValue(1000);
  EXPECT_EQ(changes.size(), 1);
  spin.SetValue(-4);
  EXPECT_EQ(spin.Text(), QStringLiteral("0"));
  EXPECT_EQ(changes.size(), 2);
}

TEST(SpinEdit, BothBoundsZeroMeansTheWholeIntegerRange) {
  TSpinEdit spin;
  EXPECT_TRUE(spin.Unlimited());
  spin.SetValue(-2000000000);
  EXPECT_EQ(spin.Value(), -2000000000);
  spin.SetValue(std::int64_t(1) << 40);
  EXPECT_EQ(spin.Value(), 2147483647);
  spin.SetText(QStringLiteral("99999999999"));  // not a 32-bit number
  EXPECT_EQ(spin.Value(), 0);
}

TEST(SpinEdit, ArrowsStepAndTypingIsLimitedToNumbers) {
  TSpinEdit spin;
  spin.SetRange(0, 7);
  spin.SetValue(6);
  spin.findChild<QToolButton*>(QStringLiteral("Up"))->click();
  spin.findChild<QToolButton*>(QStringLiteral("Up"))->click();
  EXPECT_EQ(spin.Text(), QStringLiteral("7"));
  QTest::keyClick(spin.Editor(), Qt::Key_Down);
  EXPECT_EQ(spin.Text(), QStringLiteral("6"));
  spin.Editor()->clear();
  QTest::keyClicks(spin.Editor(), QStringLiteral("1a-b2"));
  EXPECT_EQ(spin.Text(), QStringLiteral("12"));  // no minus where nothing is below 0
  // A letter typed with Alt held (easy right after a Yes/No box) and a pasted one stay out too.
  QTest::keyClick(spin.Editor(), Qt::Key_End);
  QTest::keyClick(spin.Editor(), Qt::Key_Y, Qt::AltModifier);
  spin.Editor()->insert(QStringLiteral("3x"));
  EXPECT_EQ(spin.Text(), QStringLiteral("12"));
  EXPECT_FALSE(spin.HoldsValidNumber());  // beyond 0..7
  spin.SetRange(-5, 5);
  spin.Editor()->clear();
  QTest::keyClicks(spin.Editor(), QStringLiteral("-3"));
  EXPECT_EQ(spin.Text(), QStringLiteral("-3"));
  EXPECT_TRUE(spin.HoldsValidNumber());
  spin.Editor()->clear();
  QTest::keyClicks(spin.Editor(), QStringLiteral("-"));
  EXPECT_FALSE(spin.HoldsValidNumber());  // a sign alone is no number
}

TEST(SpinEdit, LeavingTheFieldClampsATypedNumber) {
  TSpinEdit spin;
  spin.SetRange(0, 7);
  spin.SetText(QStringLiteral("40"));
  QFocusEvent out(QEvent::FocusOut);
  QApplication::sendEvent(spin.Editor(), &out);
  EXPECT_EQ(spin.Text(), QStringLiteral("7"));
  spin.SetText(QStringLiteral("abc"));  // not a number: left as it is
  QApplication::sendEvent(spin.Editor(), &out);
  EXPECT_EQ(spin.Text(), QStringLiteral("abc"));
}

TEST(ColumnMenu, ClickingAnItemClosesTheMenuAndFiresItsClick) {
  QWidget owner;
  TColumnMenu menu(&owner);
  QStringList clicked;
  for (int i = 0; i < 5; ++i) {
    auto* item = new TMenuItem(&owner);
    item->Caption = QStringLiteral("Item %1").arg(i);
    item->Tag = i;
    item->Break = i == 3;
    QObject::connect(item, &TMenuItem::Click, [&clicked, item] { clicked << item->Caption; });
    menu.Add(item);
  }
  menu.Popup(QPoint(10, 10));
  ASSERT_TRUE(menu.isVisible());
  EXPECT_EQ(menu.ColumnCount(), 2);
  EXPECT_EQ(menu.ItemRect(3).top(), menu.ItemRect(0).top());  // a new column starts at the top
  EXPECT_GT(menu.ItemRect(3).left(), menu.ItemRect(0).right());
  QTest::mouseClick(&menu, Qt::LeftButton, {}, menu.ItemRect(4).center());
  EXPECT_EQ(clicked, QStringList{QStringLiteral("Item 4")});
  EXPECT_FALSE(menu.isVisible());
}

}  // namespace
