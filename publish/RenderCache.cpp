#include "publish/RenderCache.h"

#include "model/Product.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <mutex>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

// An entry: magic, payload length (8 bytes, big-endian), SHA-256 of the payload, payload.
constexpr char kMagic[8] = {'Q', 'M', 'R', 'C', 'A', 'C', 'H', 'E'};
constexpr int kMagicSize = int(sizeof kMagic);
constexpr int kHashSize = 32;
constexpr int kHeaderSize = kMagicSize + 8 + kHashSize;
constexpr qint64 kEdgeBytes = 64 * 1024;
// Larger entries are not pictures of ours: a 9999 x 9999 BMP is under 300 MB.
constexpr qint64 kMaxEntryBytes = qint64(400) * 1000 * 1000;
const char *const kSuffix = ".qmrc";

QByteArray Sha256(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

QByteArray BigEndian64(quint64 value)
{
    QByteArray out(8, '\0');
    for (int i = 7; i >= 0; --i, value >>= 8)
        out[i] = char(value & 0xFF);
    return out;
}

quint64 FromBigEndian64(const char *data)
{
    quint64 value = 0;
    for (int i = 0; i < 8; ++i)
        value = value << 8 | quint64(quint8(data[i]));
    return value;
}

// A folder only we can write to, and not a link somebody else placed there.
bool IsPrivateFolder(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isDir() || info.isSymLink())
        return false;
#ifdef Q_OS_UNIX
    if (info.ownerId() != ::getuid())
        return false;
    if (info.permissions() & (QFile::WriteGroup | QFile::WriteOther | QFile::ReadOther | QFile::ReadGroup))
        return QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
#endif
    return true;
}

// Milliseconds since the epoch. The conversion goes through the C library's time
// zone state, which is not safe to use from several threads at once.
qint64 ModificationTime(const QFileInfo &info)
{
    static std::mutex lock;
    const std::lock_guard guard(lock);
    return info.lastModified().toMSecsSinceEpoch();
}

} // namespace

RenderCache::RenderCache(const QString &folder, qint64 limitBytes) : m_limit(limitBytes)
{
    if (folder.isEmpty())
        return;
    const QString clean = QDir::cleanPath(folder);
    if (!QFileInfo(clean).exists())
        QDir().mkdir(clean, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (IsPrivateFolder(clean))
        m_folder = clean + QLatin1Char('/');
}

QString RenderCache::UserFolder()
{
    const QString temp = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    if (temp.isEmpty())
        return QString();
    QString user;
#ifdef Q_OS_UNIX
    // The temporary folder is shared by every account here: the folder carries the user's number.
    user = QLatin1Char('-') + QString::number(::getuid());
#endif
    return temp + QLatin1Char('/') + ProductName().toLower() + QStringLiteral("-pictures") + user;
}

QString RenderCache::EntryPath(const QString &key) const
{
    return m_folder + key + QLatin1String(kSuffix);
}

QString RenderCache::Key(const QString &sourcePath, const RenderSettings &settings) const
{
    if (!isEnabled())
        return QString();
    QFile file(sourcePath);
    const QFileInfo info(sourcePath);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return QString();
    const qint64 size = file.size();
    QByteArray description;
    {
        QDataStream out(&description, QIODevice::WriteOnly);
        out << qint32(kRendererVersion) << qint32(settings.width) << qint32(settings.height) << qint32(settings.mode)
            << quint32(settings.fill) << settings.extension << info.absoluteFilePath() << qint64(size) << ModificationTime(info);
        if (settings.focus)
            out << qint32(settings.focus->x) << qint32(settings.focus->y);
    }
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(description);
    const QByteArray head = file.read(kEdgeBytes);
    if (head.size() != std::min(size, kEdgeBytes))
        return QString();
    hash.addData(head);
    if (size > kEdgeBytes) {
        if (!file.seek(std::max(size - kEdgeBytes, kEdgeBytes)))
            return QString();
        const QByteArray tail = file.read(kEdgeBytes);
        if (tail.size() != std::min(size - kEdgeBytes, kEdgeBytes))
            return QString();
        hash.addData(tail);
    }
    return QString::fromLatin1(hash.result().toHex());
}

QByteArray RenderCache::Load(const QString &key) const
{
    if (!isEnabled() || key.isEmpty())
        return QByteArray();
    const QString path = EntryPath(key);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    const qint64 size = file.size();
    bool good = size >= kHeaderSize && size <= kMaxEntryBytes;
    QByteArray entry;
    if (good) {
        entry = file.readAll();
        good = file.error() == QFileDevice::NoError && entry.size() == size && entry.startsWith(QByteArray(kMagic, kMagicSize)) &&
               FromBigEndian64(entry.constData() + kMagicSize) == quint64(size - kHeaderSize);
    }
    QByteArray picture;
    if (good) {
        picture = entry.mid(kHeaderSize);
        good = !picture.isEmpty() && Sha256(picture) == entry.mid(kMagicSize + 8, kHashSize);
    }
    file.close();
    if (!good) {
        QFile::remove(path);
        return QByteArray();
    }
    // A picture used now is among the last to go when the cache is trimmed.
    if (file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
        file.setFileTime(QDateTime::currentDateTimeUtc(), QFileDevice::FileModificationTime);
    return picture;
}

QByteArray RenderCache::LoadOrMake(const QString &sourcePath, const RenderSettings &settings, const std::function<QByteArray()> &make) const
{
    const QString key = Key(sourcePath, settings);
    QByteArray picture = Load(key);
    if (picture.isEmpty()) {
        picture = make();
        // A source changed while it was drawn is not kept under its old key.
        if (!key.isEmpty() && !picture.isEmpty() && Key(sourcePath, settings) == key)
            Store(key, picture);
    }
    return picture;
}

void RenderCache::Store(const QString &key, const QByteArray &picture) const
{
    if (!isEnabled() || key.isEmpty() || picture.isEmpty() || picture.size() > kMaxEntryBytes - kHeaderSize)
        return;
    // Written beside the entry and renamed into place, so no reader ever sees half an
    // entry. Not flushed to the disk: an entry a crash leaves damaged fails its check.
    QTemporaryFile file(m_folder + QStringLiteral("XXXXXX.part"));
    if (!file.open())
        return;
    QByteArray entry;
    entry.reserve(kHeaderSize + picture.size());
    entry.append(kMagic, kMagicSize).append(BigEndian64(quint64(picture.size()))).append(Sha256(picture)).append(picture);
    if (file.write(entry) != entry.size() || !file.flush())
        return;
    // Once renamed, the file is the entry and no longer the temporary file's to remove.
    if (file.rename(EntryPath(key)))
        file.setAutoRemove(false);
}

void RenderCache::Trim() const
{
    if (!isEnabled())
        return;
    // Newest first; whatever lies beyond the limit goes, left-over partial files included.
    const QFileInfoList entries = QDir(m_folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDir::Time);
    qint64 kept = 0;
    for (const QFileInfo &entry : entries) {
        kept += entry.size();
        if (kept > m_limit)
            QFile::remove(entry.absoluteFilePath());
    }
}
