// The pictures of the editor: command images (by their place in the command image
// list), the glyphs of the help and browse buttons, the two tree node images and
// the program's icon. Each comes from the desktop's icon theme when it has one,
// else from the style, else it is drawn here, so no button is ever blank.
#pragma once

#include <QIcon>

// Command images: 0 new, 1 open, 2 save, 3 undo, 4 redo, 6 insert, 7 delete,
// 8 move up, 9 move down, 11 preview, 12 help.
QIcon CommandIcon(int index);
QIcon HelpBookIcon();
QIcon OpenFolderIcon();
QIcon TreeRootIcon();
QIcon TreeItemIcon();
// Drawn here: the same on every desktop.
QIcon ProgramIcon();

// The drawn picture alone, for tests and for the program icon file.
QIcon DrawnCommandIcon(int index);
