#include "mailstrings.h"

#include <QHash>

using namespace Qt::Literals::StringLiterals;

namespace {

const QHash<int, QString>& Table() {
  static const QHash<int, QString> table = {
      // Windows Sockets 1.1 error codes.
      {10004, u"[10004] Interrupted function call"_s},
      {10009, u"[10009] Bad file number"_s},
      {10013, u"[10013] Permission denied"_s},
      {10014, u"[10014] Bad address"_s},
      {10022, u"[10022] Invalid argument"_s},
      {10024, u"[10024] Too many open files"_s},
      {10035, u"[10035] Resource temporarily unavailable"_s},
      {10036, u"[10036] Operation now in progress"_s},
      {10037, u"[10037] Operation already in progress"_s},
      {10038, u"[10038] Socket operation on non-socket"_s},
      {10039, u"[10039] Destination address required"_s},
      {10040, u"[10040] Message too long"_s},
      {10041, u"[10041] Protocol wrong type for socket"_s},
      {10042, u"[10042] Bad protocol option"_s},
      {10043, u"[10043] Protocol not supported"_s},
      {10044, u"[10044] Socket type not supported"_s},
      {10045, u"[10045] Operation not supported"_s},
      {10046, u"[10046] Protocol family not supported"_s},
      {10047, u"[10047] Address family not supported by protocol family"_s},
      {10048, u"[10048] Address already in use"_s},
      {10049, u"[10049] Cannot assign requested address"_s},
      {10050, u"[10050] Network is down"_s},
      {10051, u"[10051] Network is unreachable"_s},
      {10052, u"[10052] Network dropped connection on reset"_s},
      {10053, u"[10053] Software caused connection abort"_s},
      {10054, u"[10054] Connection reset by peer"_s},
      {10055, u"[10055] No buffer space available"_s},
      {10056, u"[10056] Socket is already connected"_s},
      {10057, u"[10057] Socket is not connected"_s},
      {10058, u"[10058] Cannot send after socket shutdown"_s},
      {10059, u"[10059] Too many references"_s},
      {10060, u"[10060] Connection timed out"_s},
      {10061, u"[10061] Connection refused"_s},
      {10062, u"[10062] Cannot translate name"_s},
      {10063, u"[10063] Name too long"_s},
      {10064, u"[10064] Host is down"_s},
      {10065, u"[10065] No route to host"_s},
      {10066, u"[10066] Directory not empty"_s},
      {10067, u"[10067] Too many processes"_s},
      {10068, u"[10068] Too many users"_s},
      {10069, u"[10069] Disk quota exceeded"_s},
      {10070, u"[10070] Stale file handle reference"_s},
      {10071, u"[10071] Item is remote"_s},
      {10091, u"[10091] Network subsystem is unavailable"_s},
      {10092, u"[10092] Winsock.dll version out of range"_s},
      {10093, u"[10093] Successful WSAStartup not yet performed"_s},
      {11001, u"[11001] Host not found"_s},
      {11002, u"[11002] Nonauthoritative host not found"_s},
      {11003, u"[11003] This is a nonrecoverable error"_s},
      {11004, u"[11004] Valid name, no data record of requested type"_s},

      // The components' own messages.
      {MsStr::TimedOut, u"Operation timed out"_s},
      {MsStr::Canceled, u"Operation has been canceled"_s},
      {MsStr::ServerRequired, u"Server property is required"_s},
      {MsStr::InvalidWinsockVersion, u"Invalid Winsock version"_s},
      {MsStr::ResolveFailed, u"Error resolving remote host"_s},
      {MsStr::InvalidPort, u"Invalid port number in Server property"_s},
      // Read as a reply of its own: the server's half-sent reply counts as a transient local
      // failure, so nothing is taken for accepted that was not.
      {MsStr::BrokenReply, u"451 Incomplete reply from the server: %s"_s},
      {MsStr::FunctionNotFound, u"Function %s not found"_s},
      {MsStr::WinsockNotLoaded, u"Winsock is not loaded"_s},
      {MsStr::WinsockNotFound, u"Winsock not found"_s},
      {MsStr::SenderRequired, u"The address of sender is required"_s},
      {MsStr::RecipientRequired, u"At least one Recipient, CC or BCC must be entered"_s},
      {MsStr::MessageRequired, u"MailMessage property must be assigned"_s},
      {MsStr::LineBreakInField,
       u"Addresses, names and the subject of a message must not contain line breaks"_s},
      {MsStr::ParagraphTooLarge, u"Paragraph is too large"_s},
      {MsStr::InvalidAddress, u"Not a valid mail address: %s"_s},
  };
  return table;
}

}  // namespace

QString MsLoadStr(int id) {
  return Table().value(id);
}

QString MsErrorText(int code) {
  const QString text = MsLoadStr(code);
  if (!text.isEmpty()) return text;
  return u"Error #"_s + QString::number(code);
}
