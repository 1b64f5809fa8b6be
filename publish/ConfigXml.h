// The two files the player movie reads: the configuration file (gallery-wide
// settings, naming the items file) and the items file (one element per item),
// and the preparation of the items that precedes them on every build.
#pragma once

#include "model/AppletAgent.h"
#include "model/Seams.h"

#include <QByteArray>
#include <QString>

// The file-name prefix of a build: ScriptName with every blank removed.
QString FilePrefix(const TAppletData &data);

// Refuses a prefix that is not a plain file-name part (empty, "..", a path
// separator, a control character or one of \ / : * ? " < > |) with a QmError
// that names the offending character. Nothing has been written when it throws.
void CheckFilePrefix(const QString &prefix);

// prefix + "config.xml" and prefix + "items.xml".
QString ConfigFileName(const QString &prefix);
QString ItemsFileName(const QString &prefix);

// prefix + "data.js": the companion script that carries both files for a page
// opened from a folder, where browsers refuse to read the XML files themselves.
QString CompanionFileName(const QString &prefix);

// The path under which the player finds a picture of the build: the leading image
// path followed directly by the file name when the leading path is enabled, else
// the file name alone. ItemImagePath is that of the item's ImageFile.
QString ImagePath(const TAppletData &data, const QString &fileName);
QString ItemImagePath(const TAppletData &data, const TItemData &item);

// Refreshes every item's Level from the depth of its tree node and switches the
// link prefixes between the local and the web path, in the document itself.
void PrepareItems(TAppletAgent &document, const IItemTree &tree);

// The contents of the two files: UTF-8, no declaration, root element
// "qmfoldreel", each child on its own CR LF line indented by two blanks.
QByteArray ConfigFileBytes(const TAppletData &data, const QString &prefix);
QByteArray ItemsFileBytes(const TAppletAgent &document);

// The companion script: both files' texts handed to the player by their names.
QByteArray CompanionFileBytes(const QString &prefix, const QByteArray &config, const QByteArray &items);

// Writes both files and the companion script into the temp folder, places them
// into the preview folder and removes the temp copies; sets the names of the two
// generated entries of LinkedFiles. Returns the first item's image path (empty without items) for the page.
QString WriteConfigFiles(TAppletAgent &document, const QString &prefix);
