// The preview folder is the hub of every build: each generated file is placed
// there and recorded in the document's WorkingFiles, and clean-up removes exactly
// the recorded files.
#pragma once

#include "model/AppletAgent.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// Copies the file into the preview folder (unless it is already there) and records its name.
void AddWorkingFile(TAppletAgent &document, const QString &path);

// The pictures of a build wait in the temp folder until every item is through, so a
// build that is stopped or fails leaves the preview folder as it was; whatever is not
// placed by then is removed.
class TStagedPictures
{
public:
    TStagedPictures() = default;
    ~TStagedPictures();
    TStagedPictures(const TStagedPictures &) = delete;
    TStagedPictures &operator=(const TStagedPictures &) = delete;

    // Writes a picture the build made into the temp folder; QmError when it cannot.
    void Write(const QString &fileName, const QByteArray &bytes);
    // Puts every picture written into the preview folder and records it, in the order written.
    void Place(TAppletAgent &document, IProgress &progress);

private:
    QString m_folder;
    QStringList m_names;
};

// Deletes every recorded file from the preview folder, forgets them, and removes
// the folder when it is empty.
void CleanupWorkingFiles(TAppletAgent &document);

// Copies `from` over `to`. A source that is missing, not a plain file or the
// destination itself is passed over; a destination that cannot be written raises QmError.
void CopyFileOver(const QString &from, const QString &to);
