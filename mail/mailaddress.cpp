#include "mailaddress.h"

#include "mailtext.h"

TmsMailAddress::TmsMailAddress(const QString& address, const QString& name) {
  SetAddress(address);
  SetName(name);
}

void TmsMailAddress::SetAddress(const QString& address) {
  address_ = LeftCodePoints(address, kMaxLength);
}

void TmsMailAddress::SetName(const QString& name) {
  name_ = LeftCodePoints(name, kMaxLength);
}

void TmsAddressList::Add(const QString& address, const QString& name) {
  items_.append(TmsMailAddress(address, name));
}
