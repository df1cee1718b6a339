#include "setupstrings.h"

#include "script.h"

#include <map>

using namespace Qt::Literals::StringLiterals;

namespace {

const std::map<int, QString>& Table() {
  static const std::map<int, QString> table = {
      {1, u"Setup"_s},
      {2, u"Error"_s},
      {3, u"Unable To Open Install Script File\nInstallation Aborted"_s},
      {4, u"Installing From: "_s},
      {5, u"Insufficient Memory To Run Install\nInstallation Aborted"_s},
      {6, u"Unable To Read Install Script File\nInstallation Aborted"_s},
      {7, u"Format Of Install Script File Invalid\nInstallation Aborted"_s},
      {9,
       u"An Existing System Has Been Found In The Specified Location\n"
       u"Do You Want To Update That System?"_s},
      {11, u"Question"_s},
      {12, u"Warning"_s},
      {13, u"Unable To Create Directory\nInstallation Aborted"_s},
      {14, u"Unable To Change Into Directory\nInstallation Aborted"_s},
      {15, u"Installation Completed Successfully"_s},
      {16, u"Insufficient Space On Destination Drive\nInstallation Aborted"_s},
      {17, u"Insert Disk %d Into Drive"_s},
      {18, u"Are You Sure You Want To Abort The Installation?"_s},
      {19, u"Installation Not Completed Successfully\nProgram Will Not Function Properly"_s},
      {20, u"Creating Directory: "_s},
      {21, u"Changing Into Directory: "_s},
      {22, u"Inflating File: "_s},
      {23, u"Waiting For Disk: "_s},
      {24, u"Executing File: "_s},
      {25, u"Deleting File: "_s},
      {26, u"Deleting Directory: "_s},
      {27, u"Unable To Open Source File"_s},
      {28, u"Unable To Open Destination File"_s},
      {29, u"Unable To Decompress LZ Compressed File"_s},
      {30, u"Ignored Command"_s},
      {31, u"Creating Desktop Link To: "_s},
      {32, u"Invalid number of spanned disks."_s},
      {33, u"Copying File : "_s},
      {34,
       u"Installation Completed. There were errors, the program may not operate correctly.\n"
       u"Please contact support for assistance.(support@pellworth.example)"_s},
      {35, u"Unable To Write Destination File"_s},
      {36, u"Destination Is Not A Regular File"_s},
      {37, u"Zero Byte In Install Script File On Line %d\nInstallation Aborted"_s},
      {38,
       u"More Than 200 Commands In Install Script File (Command 201 On Line %d)\n"
       u"Installation Aborted"_s},
  };
  return table;
}

}  // namespace

QString SetupString(int id) {
  const auto& table = Table();
  const auto it = table.find(id);
  return it == table.end() ? QString() : it->second;
}

QString SetupRef(int id) {
  return u"@"_s + QString::number(id);
}

QString SetupText(const QString& textOrReference) {
  if (!textOrReference.startsWith(u'@')) return textOrReference;
  const quint32 id = ReadDecimal(QStringView(textOrReference).mid(1));
  return id > 1000 ? QString() : SetupString(static_cast<int>(id)).left(299);
}

QString ExpansionFailureText(int code) {
  return SetupString(code == smIgnoredCommand ? smCannotWriteDestination : code);
}

QString Shown(QStringView name, KeepLineBreaks keep) {
  QString shown;
  shown.reserve(name.size());
  for (const QChar c : name) {
    if (c.category() != QChar::Other_Control || (c == u'\n' && keep == KeepLineBreaks::Yes))
      shown += c;
    else
      shown += u"\\x"_s + u"%1"_s.arg(static_cast<int>(c.unicode()), 2, 16, QChar(u'0')).toUpper();
  }
  return shown;
}
