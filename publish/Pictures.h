// Item pictures: every build turns each item's source picture into a picture of
// exactly ActiveItemWidth x ItemHeight pixels, of the source's type.
#pragma once

#include "model/AppletAgent.h"
#include "model/Seams.h"
#include "model/TextUtils.h"

#include <QString>

struct ResizedPicture
{
    QString fileName; // base name + extension of the source's type
    QString fullPath; // TempFolder() + fileName
};

// Mode 0 keeps the aspect ratio inside margins of `fill`; mode 1 fills and crops.
// Raises QmError for a source that cannot be read or decoded, or whose type is not supported.
ResizedPicture ResizeImage(const QString &sourcePath, const QString &baseName, int width, int height, int mode,
                           TColor fill);

// The per-build pass over all items: node captions, ImageFile, the preview folder.
void ProcessItemImages(TAppletAgent &document, IItemTree &tree, IProgress &progress);
