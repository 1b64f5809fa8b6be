// The readme written beside every saved page: the files the slideshow needs and
// how to put the page on a web site.
#pragma once

#include "model/AppletAgent.h"
#include "model/Seams.h"

#include <QString>
#include <QStringList>

// The readme's lines (without line ends).
QStringList ReadmeLines(const TAppletAgent &document);

// The picture names the readme lists: every item's ImageFile, then every
// ExtraImageFile, then the larger and WebP pictures of the latest build, in item
// order, empty names skipped, each name once.
QStringList ReadmeImageList(const TAppletAgent &document);

// Writes folder + fileName (folder ends in a separator), replacing any file there,
// reporting progress on the way.
void WriteReadme(const TAppletAgent &document, const QString &folder, const QString &fileName, IProgress &progress);
