// The per-user folders: scratch and preview files under the application-data
// folder, the documents folder for the project dialogs, and the pictures folder
// for the import dialog. Nothing is cached: every call looks the folder up and
// creates the missing levels again, one level at a time.
#pragma once

#include <QString>

// Folder ids, as the shell numbers them.
enum SpecialFolder {
    CSIDL_PERSONAL = 5,    // the user's documents
    CSIDL_APPDATA = 26,    // per-user application data
    CSIDL_MYPICTURES = 39, // the user's pictures
};

// The folder's path without a trailing separator; empty when there is none.
QString SpecialFolderPath(int folderId);

// Each of these ends in exactly one separator and raises QmError with the
// user's message when a level cannot be found or made.
QString DataFolder();
QString PreviewFolder();
QString TempFolder();
QString DocumentsFolder();

// The pictures folder itself: nothing created, nothing tested.
QString MyPicturesFolder();

// The running program's own file, with every symbolic link on its way resolved: an
// installed program is started through links in the bin folder, yet its files lie
// beside the real one.
QString ProgramFile();

// The folder of `programFile` after resolving links, ending in a separator. A path that
// no longer resolves (the file was moved away while running) keeps its plain folder.
QString ProgramFolderOf(const QString &programFile);

// The folder of the running program, ending in a separator. The player, help and
// sample files are delivered beside it, in the folders "player", "help" and "samples".
QString ProgramFolder();
QString PlayerFolder();
QString HelpFolder();
QString SamplesFolder();
