#pragma once

#include <QByteArray>
#include <QString>

// Small text rules shared by the message, its encoder and the SMTP client. Lengths count
// characters (Unicode code points), so a cut never splits a character in two.

// The number of characters in a text.
qsizetype CodePointCount(const QString& text);
// The first `count` characters of a text.
QString LeftCodePoints(const QString& text, qsizetype count);

// C0 controls, DEL and the C1 controls: characters that have no place in a header or on a
// terminal.
bool IsControlChar(char32_t c);
bool HasControlChar(const QString& text);
// The text without its control characters; a tab becomes a blank.
QString WithoutControlChars(const QString& text);

// A text from outside (a server's reply, a typed address), fit to be shown to the user: invalid
// UTF-8 and control and format characters (which could reorder or hide what the box shows) become
// U+FFFD.
QString SanitizedText(const QByteArray& bytes);

// Whether a text is a mailbox as plain SMTP can carry it: local-part "@" domain, the local
// part a dot-atom or a quoted string, the domain a host name or an address literal, all in
// US-ASCII, without blanks or control characters.
bool IsValidMailAddress(const QString& address);
// The domain of a mail address (the text after its last "@"), or an empty text.
QString MailDomain(const QString& address);
