// Publishing without the editor: a project file is opened as the editor opens it
// and published as "Save All Required Files As..." publishes it.
#pragma once

#include "model/Seams.h"

#include <QString>
#include <QStringList>

#include <cstdio>
#include <functional>

struct PublishedProject
{
    QString page;               // full path
    int unreadablePictures = 0; // items published without their picture because it cannot be read
};

// Opens `projectFile` and publishes it into `outputFolder` (made when missing;
// empty: the project file's folder) under the project file's name. Raises QmError
// with the user's message on any failure, also for a file that holds no project or
// one of another product, and TCancelled when `progress` asks to stop. `warn`, when
// given, hears one line per item without a picture: those without a file before the
// build starts, those whose picture cannot be read after it.
PublishedProject PublishProjectFile(const QString &projectFile, const QString &outputFolder, IProgress &progress,
                                    const std::function<void(const QString &)> &warn = {});

// "item N: no picture at PATH, published without one": the warning for the item
// numbered `itemNumber` (from 1, in item order) whose picture path is `path`.
QString MissingPictureWarning(int itemNumber, const QString &path);
// "item N: cannot read the picture at PATH, published without one: REASON".
QString UnreadablePictureWarning(int itemNumber, const QString &path, const QString &reason);

// The command line "quillmere-publish PROJECT_FILE [OUTPUT_FOLDER]" (arguments
// without the program name): prints the page's path on `out` and returns 0, or 1
// when some pictures could not be read; prints the error on `err` and returns 1
// when nothing could be published. SIGINT and SIGTERM stop it cleanly: working files
// removed, the output folder as it was, one line on `err`, 128 + the signal
// returned. Shows the progress on `err` when `errIsTerminal`.
int RunHeadlessPublisher(const QStringList &arguments, std::FILE *out, std::FILE *err, bool errIsTerminal);
