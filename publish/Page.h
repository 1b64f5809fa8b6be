// The web page of a build: it loads swfobject.js, which replaces a fallback
// picture with the player movie and hands the movie the configuration file.
// Comment lines mark the two blocks the user copies into their own pages.
#pragma once

#include "model/AppletAgent.h"

#include <QString>
#include <QStringList>

// The movie width: ActiveItemWidth + InactiveItemWidth x (items - 1), or 0 without
// items. Raises the integer conversion error for a width that is not a number.
int MovieWidth(const TAppletData &data, int itemCount);

// The page's lines (without line ends). `firstImage` is the first item's image path.
QStringList PageLines(const TAppletAgent &document, const QString &prefix, const QString &firstImage);

// Writes the page at `path` (8-bit text, CR LF after every line), replacing any file there.
void WritePage(const TAppletAgent &document, const QString &path, const QString &prefix, const QString &firstImage);
