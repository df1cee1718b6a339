#pragma once

#include <QString>

// The mail components' own string table: one entry per Windows Sockets error code (the code in
// square brackets, a blank and the published description) and the components' own messages.
namespace MsStr {
enum Id : int {
  TimedOut = 57000,        // "Operation timed out"
  Canceled = 57001,        // "Operation has been canceled"
  ServerRequired = 57002,  // "Server property is required"
  InvalidWinsockVersion = 57003,
  ResolveFailed = 57004,     // "Error resolving remote host"
  InvalidPort = 57005,       // a port after ":" in the server name that is no port number
  BrokenReply = 57009,       // %s: the part of a reply that was cut short or ran too long
  FunctionNotFound = 57010,  // %s: the function's name
  WinsockNotLoaded = 57011,
  WinsockNotFound = 57012,

  SenderRequired = 57100,
  RecipientRequired = 57101,
  MessageRequired = 57102,
  LineBreakInField = 57103,   // a header field or command would carry a line break
  ParagraphTooLarge = 57104,  // a quoted-printable paragraph above the encoder's limit
  InvalidAddress = 57105,     // %s: the address, made fit to be shown
};
}  // namespace MsStr

// The text of an entry; an unknown id gives an empty text.
QString MsLoadStr(int id);

// The text for an error number: its entry, or "Error #" and the number when there is none.
QString MsErrorText(int code);
