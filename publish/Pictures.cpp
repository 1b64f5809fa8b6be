// Temporary stand-in until the picture pipeline lands.
#include "publish/Pictures.h"

#include "model/Error.h"

ResizedPicture ResizeImage(const QString &, const QString &, int, int, int, TColor)
{
    throw QmError(QStringLiteral("Pictures are not supported yet."));
}

void ProcessItemImages(TAppletAgent &, IItemTree &, IProgress &)
{
}
