// The publishing driver: one complete build (images, configuration files, page),
// a save that assembles the output folder beside the project file, and the
// pieces the preview command puts together.
#pragma once

#include "model/AppletAgent.h"
#include "model/Seams.h"

#include <QString>

// Builds the pictures and configuration files into the preview folder and writes the
// page at `pagePath`, making its folder when missing. Items whose picture cannot be
// read are built without one and listed in the document's UnreadablePictures. The
// user may stop it while the pictures are made (TCancelled); nothing is written then.
void BuildOutput(TAppletAgent &document, const QString &pagePath, IItemTree &tree, IProgress &progress);

// Publishes into `outputFolder` (ending in a separator; made when missing) under
// `fileName` less its extension: page, project file, readme, player files, pictures,
// configuration files. Nothing reaches the output folder before the pictures are
// made, so a save the user stops there (TCancelled) leaves it as it was.
// The project file is written even when the build fails; the build's error is raised afterwards.
bool SaveAllFiles(TAppletAgent &document, const QString &outputFolder, const QString &fileName, IItemTree &tree, IProgress &progress);

// Places every linked file found in `sourceFolder` into the preview folder.
void CopyLinkedFiles(TAppletAgent &document, const QString &sourceFolder);

// Copies the extra resource files (there are none; the list is emptied).
void CopyResourceFiles(TAppletAgent &document, const QString &sourceFolder, IProgress &progress);

// The base name of a save: the file name with every occurrence of its extension
// (the text from its last "." on) removed, letter case ignored; a name without
// a dot is used whole. "gallery.qmreel1" gives "gallery".
QString SaveBaseName(const QString &fileName);

// Refuse, naming the value and the limit, a gallery name (as the file-name prefix)
// or a project's base name whose longest file name would not fit `limit` bytes
// together with the temporary name of the atomic write.
void CheckGalleryNameLength(const QString &prefix, int limit);
void CheckProjectNameLength(const QString &baseName, int limit);

// The page a save of `fileName` writes into `outputFolder`.
QString SavedPagePath(const QString &outputFolder, const QString &fileName);
