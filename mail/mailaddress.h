#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// One address of a message: the mailbox and the name shown with it. Both hold at most
// 255 characters; longer texts are cut between characters.
class TmsMailAddress {
 public:
  static constexpr qsizetype kMaxLength = 255;

  TmsMailAddress() = default;
  TmsMailAddress(const QString& address, const QString& name);

  QString Address() const { return address_; }
  void SetAddress(const QString& address);
  QString Name() const { return name_; }
  void SetName(const QString& name);

  bool operator==(const TmsMailAddress&) const = default;

 private:
  QString address_;
  QString name_;
};

// An ordered list of addresses (the recipients, the CC or the BCC list).
class TmsAddressList {
 public:
  void Clear() { items_.clear(); }
  void Add(const QString& address, const QString& name);
  qsizetype Count() const { return items_.size(); }
  // 0-based, as the list is indexed.
  const TmsMailAddress& Item(qsizetype index) const { return items_.at(index); }
  bool IsEmpty() const { return items_.isEmpty(); }

  auto begin() const { return items_.cbegin(); }
  auto end() const { return items_.cend(); }

 private:
  QList<TmsMailAddress> items_;
};

// Further header lines of a message, each "Name: value".
using TmsHeaders = QStringList;
