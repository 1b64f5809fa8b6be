// Every whole-file write of the program goes through here: the new content is
// written beside the target and only replaces it once it is complete, so a
// failed save leaves the previous file as it was.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Writes `data` to `path` atomically; QmError naming the path on any failure.
void SaveWholeFile(const QString &path, const QByteArray &data);

// The lines in the system's 8-bit encoding, each followed by CR LF, no byte-order mark.
QByteArray TextFileBytes(const QStringList &lines);

// SaveWholeFile of TextFileBytes(lines).
void SaveTextFile(const QString &path, const QStringList &lines);
