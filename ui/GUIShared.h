// What the files of the main window share among themselves, and nothing else includes.
#pragma once

#include "model/TextUtils.h"

#include <QString>

inline constexpr const char *kProjectFilter = "Quillmere Files (*.qmreel1)|*.qmreel1";

// The folder part of a path (ending in a separator), the part before its file name.
inline QString FolderOf(const QString &path)
{
    return path.left(path.size() - ExtractFileName(path).size());
}

// A caption as it is shown: "&&" is one "&", a single "&" only marks a mnemonic.
inline QString ShownCaption(const QString &caption)
{
    QString shown;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && i + 1 < caption.size())
            ++i;
        shown += caption[i];
    }
    return shown;
}
