// What the files of the main window share among themselves, and nothing else includes.
#pragma once

#include "model/TextUtils.h"

#include <QString>
#include <QStringList>

inline constexpr const char *kProjectFilter = "Quillmere Files (*.qmreel1)|*.qmreel1";

// The folder part of a path (ending in a separator), the part before its file name.
inline QString FolderOf(const QString &path)
{
    return path.left(path.size() - ExtractFileName(path).size());
}

// The lines one under another, at most ten of them, then "and N more".
inline QString AtMostTenLines(const QStringList &lines)
{
    constexpr qsizetype kShown = 10;
    QString text = lines.mid(0, kShown).join(QLatin1Char('\n'));
    if (lines.size() > kShown)
        text += QStringLiteral("\nand %1 more").arg(lines.size() - kShown);
    return text;
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
