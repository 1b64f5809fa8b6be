// The preview folder is the hub of every build: each generated file is placed
// there and recorded in the document's WorkingFiles, and clean-up removes exactly
// the recorded files.
#pragma once

#include "model/AppletAgent.h"

#include <QByteArray>
#include <QString>

// Copies the file into the preview folder (unless it is already there) and records its name.
void AddWorkingFile(TAppletAgent &document, const QString &path);

// Puts a picture the build made into the preview folder under `fileName` and records
// it; QmError when it can be written neither there nor into the temp folder.
void PlaceGeneratedPicture(TAppletAgent &document, const QString &fileName, const QByteArray &bytes);

// Deletes every recorded file from the preview folder, forgets them, and removes
// the folder when it is empty.
void CleanupWorkingFiles(TAppletAgent &document);

// Copies `from` over `to`. A source that is missing, not a plain file or the
// destination itself is passed over; a destination that cannot be written raises QmError.
void CopyFileOver(const QString &from, const QString &to);
