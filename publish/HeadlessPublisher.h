// Publishing without the editor: a project file is opened as the editor opens it
// and published as "Save All Required Files As..." publishes it.
#pragma once

#include "model/Seams.h"

#include <QString>
#include <QStringList>

#include <cstdio>
#include <functional>

// Opens `projectFile` and publishes it into `outputFolder` (made when missing;
// empty: the project file's folder) under the project file's name. Returns the
// full path of the page. Raises QmError with the user's message on any failure,
// also for a file that holds no project or one of another product. `warn`, when
// given, hears one line per item without a picture before the build starts.
QString PublishProjectFile(const QString &projectFile, const QString &outputFolder, IProgress &progress,
                           const std::function<void(const QString &)> &warn = {});

// "item N: no picture at PATH, published without one": the warning for the item
// numbered `itemNumber` (from 1, in item order) whose picture path is `path`.
QString MissingPictureWarning(int itemNumber, const QString &path);

// The command line "quillmere-publish PROJECT_FILE [OUTPUT_FOLDER]" (arguments
// without the program name): prints the page's path on `out` and returns 0, or
// prints the error on `err` and returns 1. Shows the progress on `err` when
// `errIsTerminal`.
int RunHeadlessPublisher(const QStringList &arguments, std::FILE *out, std::FILE *err, bool errIsTerminal);
