// Registers the project file type (*.qmreel1, "Quillmere.Document") for the
// current user, so project files show the program's icon and open in it.
#pragma once

#include <QString>

// The extension of project files.
inline constexpr const char *kDocumentExtension = ".qmreel1";

// The programmatic identifier of project files: the product's name + ".Document".
QString DocumentTypeId();

// Writes the per-user association again, pointing at the running program. On
// Windows: the three default values under HKEY_CURRENT_USER\Software\Classes. On
// other systems: the program's icon, a desktop entry that opens documents with the
// program, and a shared-mime-info package for the extension, below
// $XDG_DATA_HOME. Never reports anything; a failing step ends the registration.
void RegisterDocumentType();

// The MIME type declared for project files on freedesktop systems.
QString DocumentMimeType();

// The command line registered to open a document: the program's path (quoted only
// where the desktop entry rules would otherwise split it), one blank, "%f".
QString DesktopExecLine(const QString &programPath);
