#include "model/SaveFile.h"

#include "model/Error.h"

#include <QDir>
#include <QSaveFile>

void SaveWholeFile(const QString &path, const QByteArray &data)
{
    QSaveFile file(path);
    // Never fall back to writing over the old file in place: a failure must leave it intact.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        throw QmError(QStringLiteral("Cannot create file \"%1\". %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    if (file.write(data) != data.size())
        throw QmError(QStringLiteral("Cannot write file \"%1\". %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    if (!file.commit())
        throw QmError(QStringLiteral("Cannot save file \"%1\". %2").arg(QDir::toNativeSeparators(path), file.errorString()));
}

QByteArray TextFileBytes(const QStringList &lines)
{
    QByteArray out;
    for (const QString &line : lines) {
        out += line.toLocal8Bit();
        out += "\r\n";
    }
    return out;
}

void SaveTextFile(const QString &path, const QStringList &lines)
{
    SaveWholeFile(path, TextFileBytes(lines));
}
