#include "sampleregistry.h"

#include "registrynames.h"

using namespace Qt::Literals::StringLiterals;

namespace SampleRegistry {

namespace {

// The game's key in the 32-bit view, as a 32-bit installer in a 64-bit prefix writes it: Wine
// spells the root "Software", and the 32-bit keys lie under Wow6432Node.
QString WineGameKey() {
  return u"Software\\Wow6432Node\\"_s + kGameKey.section(u'\\', 1);
}

QByteArray WineEscaped(const QString& text) {
  QByteArray out;
  for (const char c : text.toUtf8()) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out;
}

QByteArray HexData(int bytes, unsigned seed) {
  QByteArray out = "hex:";
  int column = int(out.size()) + 12;
  for (int i = 0; i < bytes; ++i) {
    seed = seed * 1103515245u + 12345u;
    out += QByteArray::number((seed >> 16) & 0xFF, 16).rightJustified(2, '0');
    if (i + 1 == bytes) break;
    out += ',';
    column += 3;
    if (column > 76) {  // Wine breaks long data after about 80 characters
      out += "\\\n  ";
      column = 2;
    }
  }
  return out;
}

QByteArray Key(int n) {
  static const char* const kinds[] = {"Classes\\\\.ext",
                                      "Classes\\\\CLSID\\\\{%1-0000-0000-C000-000000000046}",
                                      "Microsoft\\\\Windows\\\\CurrentVersion\\\\Setup\\\\Item",
                                      "Microsoft\\\\Windows NT\\\\CurrentVersion\\\\Fonts\\\\Font"};
  const bool wow = n % 5 == 0;
  QByteArray path = wow ? "Software\\\\Wow6432Node\\\\" : "Software\\\\";
  QByteArray kind = kinds[n % 4];
  path += kind.contains("%1") ? kind.replace("%1", QByteArray::number(n, 16).rightJustified(8, '0'))
                              : kind + QByteArray::number(n);
  return path;
}

}  // namespace

QByteArray WineSystemReg(int keys, const QString& installPath) {
  QByteArray out =
      "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n";
  for (int n = 0; n < keys; ++n) {
    const unsigned seed = unsigned(n) * 2654435761u;
    if (n == keys / 2) {
      out += "\n[" + WineEscaped(WineGameKey()) + "] 1796713981\n#time=1dd86e38fca5b7e\n";
      out += '"' + kInstallPathValue.toUtf8() + "\"=\"" + WineEscaped(installPath) + "\"\n";
      continue;
    }
    out += "\n[" + Key(n) + "] 17967139" + QByteArray::number(10 + n % 90) + "\n";
    out += "#time=1dd86e38" + QByteArray::number(seed & 0xFFFFFF, 16) + "\n";
    switch (n % 6) {
      case 0:
        out += "@=\"file" + QByteArray::number(n) + "\"\n\"Content Type\"=\"application/x-" +
               QByteArray::number(n) + "\"\n";
        break;
      case 1:
        out += "\"FilterData\"=" + HexData(40 + int(seed % 80), seed) + "\n";
        break;
      case 2:
        out += "\"Flags\"=dword:" + QByteArray::number(seed, 16).rightJustified(8, '0') + "\n";
        out += "\"Path\"=str(2):\"%SystemRoot%\\\\system32\\\\lib" + QByteArray::number(n) +
               ".dll\"\n";
        break;
      case 3:
        out += "\"Font " + QByteArray::number(n) + " (TrueType)\"=\"font" + QByteArray::number(n) +
               ".ttf\"\n\"0\"=hex:1f,00\n";
        break;
      default:
        break;  // keys without values are common too
    }
  }
  return out;
}

}  // namespace SampleRegistry
