// A per-user cache of finished item pictures: a source whose file and settings
// match a picture rendered before is copied instead of being decoded, resized and
// encoded again. The cache is only ever a shortcut: every entry carries the length
// and hash of its picture and is checked on reading, anything that fails the check
// counts as absent, and any failure to read or write the cache leaves the build to
// render the picture as it always would.
#pragma once

#include "model/FocalPoint.h"
#include "model/TextUtils.h"

#include <QByteArray>
#include <QString>

#include <functional>

// Everything besides the source file that decides the bytes of an item picture.
struct RenderSettings
{
    int width = 0;
    int height = 0;
    int mode = 1;
    TColor fill = 0;
    QString extension;                // ".jpg", ".gif", ".bmp", ".png" or ".webp": the output type
    std::optional<TFocalPoint> focus; // the item's focal point, which moves mode 1's crop
};

// Bumped whenever the same source and settings would give other bytes (a new
// filter, decode scale, colour conversion or encoder setting), so older entries are
// never used. 2: the colour profiles and the PNG, WebP, HEIF and TIFF sources; 3: the
// WebP copies' own settings, larger pictures drawn from the decode of the item picture;
// 4: the copies at libwebp's quickest method.
inline constexpr int kRendererVersion = 4;

class RenderCache
{
public:
    // About 500 MB of pictures; the least recently used go first beyond that.
    static constexpr qint64 kDefaultLimit = qint64(500) * 1000 * 1000;

    // A cache keeping its files in `folder` (made when missing). An empty folder
    // gives a cache that never finds or keeps anything.
    explicit RenderCache(const QString &folder, qint64 limitBytes = kDefaultLimit);

    // The per-user cache folder below the temporary folder, made private to the
    // user; empty when no such folder can be had safely (then nothing is cached).
    static QString UserFolder();

    bool isEnabled() const { return !m_folder.isEmpty(); }
    QString folder() const { return m_folder; }

    // The name of the entry for `sourcePath` drawn with `settings`: a hash of the
    // renderer's version, the settings (the focal point only when there is one, so
    // entries made before focal points existed still serve), the source's absolute
    // path, size, time of modification and the contents of its first and last 64 KiB.
    // Empty when the source cannot be read (the caller then renders and reports the error).
    QString Key(const QString &sourcePath, const RenderSettings &settings) const;

    // The picture stored under `key`, checked against its length and hash; empty
    // when there is none or it does not pass (a failing entry is removed).
    QByteArray Load(const QString &key) const;

    // Keeps `picture` under `key`, written whole or not at all. Failures are ignored.
    void Store(const QString &key, const QByteArray &picture) const;

    // The picture of `sourcePath` drawn with `settings`: from the cache, or made by
    // `make` and kept (unless it is empty or the source changed meanwhile). Raises what
    // `make` raises.
    QByteArray LoadOrMake(const QString &sourcePath, const RenderSettings &settings, const std::function<QByteArray()> &make) const;

    // Removes the least recently used entries until the cache holds at most its limit.
    void Trim() const;

private:
    QString EntryPath(const QString &key) const;

    QString m_folder;
    qint64 m_limit;
};
