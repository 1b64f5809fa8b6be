// Every whole-file write of the program goes through here: the new content is
// written beside the target and only replaces it once it is complete, so a
// failed save leaves the previous file as it was. A symbolic link standing at the
// target's name is replaced by the new file; what it points to is never written.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

// Writes `data` to `path` atomically; QmError naming the path on any failure,
// with the system's own reason ("No space left on device").
void SaveWholeFile(const QString &path, const QByteArray &data);

// Copies the file `from` over `to` as SaveWholeFile writes. Returns false, writing
// nothing, when the source cannot be opened or read; a failure to write the
// destination raises QmError like SaveWholeFile.
bool CopyWholeFile(const QString &from, const QString &to);

// The lines in the system's 8-bit encoding, each followed by CR LF, no byte-order mark.
QByteArray TextFileBytes(const QStringList &lines);

// SaveWholeFile of TextFileBytes(lines).
void SaveTextFile(const QString &path, const QStringList &lines);

// The atomic write first creates "<name>.XXXXXX" beside the target: a name needs
// this many bytes of room below the file system's limit.
constexpr int kTemporaryNameExtra = 7;

// The longest file name, in bytes of the file-name encoding, that the folder (or,
// when it does not exist yet, its nearest existing parent) takes.
int MaxFileNameBytes(const QString &folder);

// The length of a file name in bytes of the file-name encoding.
int FileNameBytes(const QString &name);

// True for a path that names nothing because its name held bytes not valid in the
// system's encoding: they were read as U+FFFD, and no file can be found by it.
bool IsUnreadableName(const QString &path);

// The reason given for such a path, after "Cannot open file "PATH". ".
extern const char *const kUnreadableName;

// The steps of a whole-file write at which a test may make it fail.
enum class WriteStep { Write, Commit };

// Tests make writes fail on demand: when set, the hook is asked before each write
// to a file and before its commit; a non-zero errno value makes that step fail
// with the system's text for it. An empty function removes the hook.
using WriteFault = std::function<int(const QString &path, WriteStep step)>;
void SetWriteFault(WriteFault fault);
