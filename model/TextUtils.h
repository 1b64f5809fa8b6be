// Small text helpers shared by the document, the file formats and publishing.
#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// The text as a decimal integer (blanks around it allowed, an optional sign),
// or QmError with the conversion message.
int StrToInt(const QString &text);

// A colour word as the platform keeps it: 0x00BBGGRR, red in the low byte.
using TColor = quint32;

// RRGGBB in upper-case hexadecimal.
QString ColorToHex(TColor color);
// RRGGBB (any letter case) to a colour word; "transparent" (any case) and "" give black.
// Non-hexadecimal characters raise the integer conversion error naming the built text.
TColor HexToColor(const QString &text);

// The n-th value (from 1) of a line in which every value is followed by `separator`;
// empty when there is no such value.
QString GetField(const QString &line, int n, const QString &separator);
// Values 1 to `count` of such a line, each as GetField gives it, in one pass over the line.
QStringList GetFields(const QString &line, int count, const QString &separator);

// The path ending in exactly one platform separator ("\" on Windows, "/" elsewhere).
QString IncludeTrailingBackslash(const QString &path);

// Leading and trailing blanks and control characters removed.
QString TrimText(const QString &text);

// The file-name part of a path: the text after the last "\", "/" or ":".
QString ExtractFileName(const QString &path);

// A path as a "file:" address, blanks left as they are. A path from the root
// ("/home/u/site/page.html") gives "file:///home/u/site/page.html"; any other, such
// as a drive path "C:\site\page.html", has every "\" turned into "/" and every ":"
// into "|" behind "file:///": "file:///C|/site/page.html".
QString PathToFileUrl(const QString &path);
