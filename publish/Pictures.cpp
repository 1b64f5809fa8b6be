#include "publish/Pictures.h"

#include "model/Error.h"
#include "model/SaveFile.h"
#include "publish/BmpCodec.h"
#include "publish/Folders.h"
#include "publish/GifCodec.h"
#include "publish/JpegCodec.h"
#include "publish/RenderCache.h"
#include "publish/WorkingFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cmath>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace {

const char *const kMissingCaption = "Warning: Original image not found.";
const char *const kUnreadableCaption = "Warning: Original image cannot be read.";
const char *const kStage = "Processing images ...";
// How long the pass waits for a worker at a time before it looks at the window again.
constexpr int kWaitSlice = 10;

// The nearest integer, halves to the even neighbour (83.5 gives 84, 62.5 gives 62).
int Round(double x)
{
    return int(std::nearbyint(x));
}

} // namespace

// Sources larger than this are not read into memory at all.
constexpr qint64 kMaxSourceBytes = qint64(1) << 30;

namespace {

// Opens the source for reading without ever waiting: a pipe or device named like a
// picture is refused at once, even one put in place after the item was checked.
void OpenSource(QFile &file, const QString &path)
{
    if (IsUnreadableName(path))
        throw QmError(QStringLiteral("The picture \"%1\" cannot be opened: its name is not valid in the system's "
                                     "encoding, so it cannot be read. Please rename the file.")
                          .arg(path));
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw QmError(QStringLiteral("The picture \"%1\" cannot be opened: %2.").arg(path, qt_error_string(errno)));
    struct stat status;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        throw QmError(QStringLiteral("The picture \"%1\" cannot be opened: it is not a file.").arg(path));
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw QmError(QStringLiteral("The picture \"%1\" cannot be opened: %2.").arg(path, file.errorString()));
    }
#else
    if (!file.open(QIODevice::ReadOnly))
        throw QmError(QStringLiteral("The picture \"%1\" cannot be opened: %2.").arg(path, file.errorString()));
#endif
}

} // namespace

bool HasPictureSource(const QString &originalImagePath)
{
    const QString source = TrimText(originalImagePath);
    return !source.isEmpty() && QFileInfo(source).isFile();
}

QByteArray ReadPictureSource(const QString &path)
{
    QFile file(path);
    OpenSource(file, path);
    if (file.size() > kMaxSourceBytes)
        throw QmError(QStringLiteral("The picture \"%1\" is too large to be processed.").arg(path));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw QmError(QStringLiteral("The picture \"%1\" cannot be read: %2.").arg(path, file.errorString()));
    return bytes;
}

SourceRect PictureGeometry::sourceArea(int sw, int sh) const
{
    // An empty Q along an axis (a sliver of a source) stands for the whole source.
    if (qw <= 0 || qh <= 0) {
        SourceRect whole{0, 0, double(sw), double(sh)};
        if (qw > 0) {
            whole.left = fromQ.left * double(sw) / qw;
            whole.right = fromQ.right * double(sw) / qw;
        }
        if (qh > 0) {
            whole.top = fromQ.top * double(sh) / qh;
            whole.bottom = fromQ.bottom * double(sh) / qh;
        }
        return whole;
    }
    const double fx = double(sw) / qw, fy = double(sh) / qh;
    return {fromQ.left * fx, fromQ.top * fy, fromQ.right * fx, fromQ.bottom * fy};
}

PictureGeometry ComputeGeometry(int sw, int sh, int width, int height, int mode)
{
    PictureGeometry g;
    // Mode 0 matches the target's shorter side, mode 1 its longer side; a square uses the width.
    const bool byHeight = mode == 0 ? height < width : width < height;
    g.scale = byHeight ? float(double(sh) / height) : float(double(sw) / width);
    g.qw = Round(sw / double(g.scale));
    g.qh = Round(sh / double(g.scale));
    if (mode == 0) {
        const int dx = g.qw < width ? Round((width - g.qw) / 2.0) : 0;
        const int dy = g.qh < height ? Round((height - g.qh) / 2.0) : 0;
        g.fromQ = {0, 0, g.qw, g.qh};
        g.into = {dx, dy, width - dx, height - dy};
        g.filled = true;
    } else {
        const int dx = g.qw > width ? Round((g.qw - width) / 2.0) : 0;
        const int dy = g.qh > height ? Round((g.qh - height) / 2.0) : 0;
        g.fromQ = {dx, dy, g.qw - dx, g.qh - dy};
        g.into = {0, 0, width, height};
        g.filled = false;
    }
    return g;
}

QString PictureExtension(const QString &sourcePath)
{
    const QString suffix = QFileInfo(sourcePath).suffix().toLower();
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg"))
        return QStringLiteral(".jpg");
    if (suffix == QLatin1String("gif"))
        return QStringLiteral(".gif");
    if (suffix == QLatin1String("bmp"))
        return QStringLiteral(".bmp");
    return QString();
}

QString PictureProblem(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("there is no such file");
    if (!info.isFile())
        return QStringLiteral("it is not a file");
    // The first bytes of each type, by the extension that decides how it is decoded.
    struct Signature
    {
        const char *extension;
        const char *type;
        const char *starts[2]; // either will do; nullptr: none
    };
    static const Signature kSignatures[] = {
        {".jpg", "JPEG", {"\xFF\xD8\xFF", nullptr}},
        {".gif", "GIF", {"GIF87a", "GIF89a"}},
        {".bmp", "BMP", {"BM", nullptr}},
    };
    const QString extension = PictureExtension(path);
    const auto signature = std::find_if(std::begin(kSignatures), std::end(kSignatures),
                                        [&](const Signature &s) { return extension == QLatin1String(s.extension); });
    if (signature == std::end(kSignatures))
        return QStringLiteral("it is not a JPEG, GIF or BMP picture");
    QByteArray head;
    try {
        QFile file(path);
        OpenSource(file, path);
        head = file.read(16);
    } catch (const QmError &error) {
        return error.message();
    }
    if (head.isEmpty())
        return QStringLiteral("the file is empty");
    for (const char *start : signature->starts)
        if (start && head.startsWith(start))
            return QString();
    return QStringLiteral("its content is not a %1 picture").arg(QLatin1String(signature->type));
}

namespace {

// A size no picture can have fails the whole build, not each item.
void CheckPictureSize(int width, int height)
{
    if (width < 1 || height < 1)
        throw QmError(QStringLiteral("The item pictures cannot be made %1 x %2 pixels: width and height must be at "
                                     "least 1.")
                          .arg(width)
                          .arg(height));
}

} // namespace

Bitmap RenderPicture(const QString &sourcePath, int width, int height, int mode, TColor fill)
{
    CheckPictureSize(width, height);
    const QString extension = PictureExtension(sourcePath);
    if (extension.isEmpty())
        throw QmError(QStringLiteral("The picture \"%1\" is of an unsupported picture type: only JPEG (.jpg, .jpeg), "
                                     "GIF (.gif) and BMP (.bmp) files can be used.")
                          .arg(sourcePath));
    Bitmap picture(width, height);
    const QByteArray bytes = ReadPictureSource(sourcePath);
    try {
        Bitmap source;
        PictureGeometry g;
        SourceRect area;
        if (extension == QLatin1String(".jpg")) {
            // Decode at the smallest fast DCT scale that keeps a quarter more pixels than drawn.
            JpegReader reader(bytes);
            const int sw = reader.shownWidth(), sh = reader.shownHeight();
            g = ComputeGeometry(sw, sh, width, height, mode);
            area = g.sourceArea(sw, sh);
            const int num = ChooseJpegScale(area.right - area.left, area.bottom - area.top, g.into.width(), g.into.height());
            // Rows beyond the filter's reach around the area are not decoded.
            const double f = num / 8.0;
            const double reach = std::max({(area.right - area.left) * f / std::max(g.into.width(), 1),
                                           (area.bottom - area.top) * f / std::max(g.into.height(), 1), 1.0});
            source = reader.decode(num, area, int(std::ceil(3 * reach)) + 2);
            area = {area.left * f, area.top * f, area.right * f, area.bottom * f};
        } else {
            source = extension == QLatin1String(".gif") ? DecodeGif(bytes, fill) : DecodeBmp(bytes);
            g = ComputeGeometry(source.width(), source.height(), width, height, mode);
            area = g.sourceArea(source.width(), source.height());
        }
        if (g.filled)
            Fill(picture, fill);
        StretchCopy(source, area, picture, g.into);
    } catch (const QmError &e) {
        throw QmError(QStringLiteral("%1\nPicture: %2").arg(e.message(), sourcePath));
    }
    return picture;
}

QByteArray EncodePicture(const Bitmap &picture, const QString &extension)
{
    if (extension == QLatin1String(".jpg"))
        return EncodeJpeg(picture, 90);
    if (extension == QLatin1String(".gif"))
        return EncodeGif(picture);
    return EncodeBmp(picture);
}

ResizedPicture ResizeImage(const QString &sourcePath, const QString &baseName, int width, int height, int mode, TColor fill)
{
    const Bitmap picture = RenderPicture(sourcePath, width, height, mode, fill);
    const QByteArray bytes = EncodePicture(picture, PictureExtension(sourcePath));
    ResizedPicture result;
    result.fileName = baseName + PictureExtension(sourcePath);
    result.fullPath = TempFolder() + result.fileName;
    SaveWholeFile(result.fullPath, bytes);
    return result;
}

namespace {

std::mutex g_optionsLock;
PicturePassOptions g_options;

// One item's picture as a worker hands it back: the file's bytes, or the error.
struct RenderedPicture
{
    QByteArray bytes;
    std::exception_ptr error;
};

// Decode, resize and encode, or copy from the cache: touches nothing but the cache.
RenderedPicture RenderItemPicture(const QString &source, const RenderSettings &settings, const RenderCache &cache)
{
    RenderedPicture result;
    try {
        const QString key = cache.Key(source, settings);
        result.bytes = cache.Load(key);
        if (result.bytes.isEmpty()) {
            result.bytes =
                EncodePicture(RenderPicture(source, settings.width, settings.height, settings.mode, settings.fill), settings.extension);
            // A source changed while it was drawn is not kept under its old key.
            if (!key.isEmpty() && cache.Key(source, settings) == key)
                cache.Store(key, result.bytes);
        }
    } catch (...) {
        result.bytes.clear();
        result.error = std::current_exception();
    }
    return result;
}

// Puts `from` in the place of `to`, replacing a file or a link of that name (never
// writing through the link). False when that fails; `from` is then left as it was.
bool MoveOver(const QString &from, const QString &to)
{
    if (QFileInfo(to).isSymLink() || QFileInfo(to).isFile())
        QFile::remove(to);
    return QFile::rename(from, to);
}

// The working folders only ever hold copies made again by every build, so a picture
// is written beside its place and renamed into it whole, but not flushed to the disk.
// False when anything fails; nothing of it is left then.
bool WriteScratchFile(const QString &path, const QByteArray &bytes)
{
    // Made new (never through a link of that name), with the permissions any new file gets.
    const QString partial = path + QStringLiteral(".part");
    QFile::remove(partial);
    QFile file(partial);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    file.close();
    if (written && file.error() == QFileDevice::NoError && MoveOver(partial, path))
        return true;
    QFile::remove(partial);
    return false;
}

// The pictures of a pass wait in the temp folder until every item is through, so a
// pass that is stopped or fails leaves the preview folder as it was; whatever is not
// placed by then is removed.
class StagedPictures
{
public:
    ~StagedPictures()
    {
        for (const Staged &picture : m_pictures)
            QFile::remove(m_folder + picture.fileName);
    }
    StagedPictures() = default;
    StagedPictures(const StagedPictures &) = delete;
    StagedPictures &operator=(const StagedPictures &) = delete;

    void Write(int index, const QString &fileName, const QByteArray &bytes)
    {
        if (m_folder.isEmpty())
            m_folder = TempFolder();
        m_pictures.push_back({index, fileName});
        // Only when the quick way fails, the careful one, which says why.
        if (!WriteScratchFile(m_folder + fileName, bytes))
            SaveWholeFile(m_folder + fileName, bytes);
    }

    // Into the preview folder, each item's ImageFile set, in item order.
    void Place(TAppletAgent &document, IProgress &progress)
    {
        const QString preview = m_pictures.empty() ? QString() : PreviewFolder();
        for (const Staged &picture : m_pictures) {
            progress.KeepAlive();
            const QString staged = m_folder + picture.fileName;
            TItemData data = document.GetItem(picture.index);
            data.ImageFile = picture.fileName;
            document.SetItem(data, picture.index);
            if (MoveOver(staged, preview + picture.fileName))
                document.WorkingFiles << picture.fileName;
            else
                AddWorkingFile(document, staged); // copied, with the copy's failures
        }
    }

private:
    struct Staged
    {
        int index;
        QString fileName;
    };
    QString m_folder;
    std::vector<Staged> m_pictures;
};

// One item between being scheduled and being applied.
struct PendingItem
{
    QString source; // trimmed; empty when missing
    bool missing = false;
    bool byWorker = false;
    QFuture<RenderedPicture> future; // when drawn by a worker
    RenderedPicture rendered;        // when drawn on the calling thread
};

// The pass's own pool of worker threads: pictures never wait behind other work of the
// program, and a pass that stops early drops the pictures not yet begun and waits only
// for those being drawn.
class PictureWorkers
{
public:
    explicit PictureWorkers(int count) { m_pool.setMaxThreadCount(count); }
    ~PictureWorkers()
    {
        m_pool.clear();
        m_pool.waitForDone();
    }
    // Drops the pictures not begun and waits for those being drawn, with the caller's
    // event loop running.
    void Stop(IProgress &progress)
    {
        m_pool.clear();
        while (!m_pool.waitForDone(kWaitSlice))
            progress.KeepAlive();
    }
    PictureWorkers(const PictureWorkers &) = delete;
    PictureWorkers &operator=(const PictureWorkers &) = delete;

    int count() const { return m_pool.maxThreadCount(); }

    template <typename Job> QFuture<RenderedPicture> Submit(Job job) { return QtConcurrent::run(&m_pool, std::move(job)); }

private:
    QThreadPool m_pool;
};

} // namespace

void SetPicturePassOptions(const PicturePassOptions &options)
{
    const std::lock_guard lock(g_optionsLock);
    g_options = options;
}

PicturePassOptions CurrentPicturePassOptions()
{
    const std::lock_guard lock(g_optionsLock);
    return g_options;
}

void ProcessItemImages(TAppletAgent &document, IItemTree &tree, IProgress &progress)
{
    ProcessItemImages(document, tree, progress, CurrentPicturePassOptions());
}

void ProcessItemImages(TAppletAgent &document, IItemTree &tree, IProgress &progress, const PicturePassOptions &options)
{
    const int count = tree.NodeCount();
    progress.SetMaximum(count);
    progress.SetStage(QString::fromLatin1(kStage));
    progress.SetBusy(true);
    // Position 0, no stage text and the normal cursor again, also when the pass stops early.
    ProgressReset reset(progress);
    const int items = int(std::min<std::size_t>(std::size_t(std::max(count - 1, 0)), document.Items.size()));
    document.UnreadablePictures.clear();

    // The settings are read when the first existing picture needs them; a value that
    // is not a number fails there, after the captions of the missing items before it.
    std::optional<RenderSettings> settings;
    std::exception_ptr settingsError;
    auto readSettings = [&] {
        if (settings || settingsError)
            return;
        try {
            const TAppletData &data = document.AppletData;
            RenderSettings s;
            s.width = StrToInt(data.ActiveItemWidth);
            s.height = StrToInt(data.ItemHeight);
            CheckPictureSize(s.width, s.height);
            // Only "0" keeps the margins; any other stored number fills and crops.
            s.mode = StrToInt(data.ThumbProcessType) == 0 ? 0 : 1;
            s.fill = HexToColor(data.ThumbFillColor);
            settings = s;
        } catch (...) {
            settingsError = std::current_exception();
        }
    };

    const int jobs = options.jobs > 0 ? options.jobs : std::max(QThread::idealThreadCount(), 1);
    const RenderCache cache(options.useCache ? RenderCache::UserFolder() : QString());
    StagedPictures staged;
    // After the cache, which the workers use, and before the items they hand back.
    // Only a pass asked to draw one picture after another draws on the calling thread,
    // which is the window's in the editor.
    std::unique_ptr<PictureWorkers> workers;
    if (options.jobs != 1)
        workers = std::make_unique<PictureWorkers>(jobs);
    std::deque<PendingItem> pending;
    // Finished pictures wait as their encoded bytes only, so the workers may run well
    // ahead of a calling thread that is late to take them (a busy window).
    const int maxInFlight = workers ? workers->count() * 4 : 1;
    int inFlight = 0;
    int scheduled = 0;
    bool stored = false;

    auto schedule = [&](int index) {
        PendingItem p;
        p.source = TrimText(document.Items[std::size_t(index)].OriginalImagePath);
        p.missing = !HasPictureSource(p.source);
        if (!p.missing) {
            readSettings();
            if (settings) {
                RenderSettings s = *settings;
                s.extension = PictureExtension(p.source);
                if (workers) {
                    p.byWorker = true;
                    p.future = workers->Submit([source = p.source, s, &cache] { return RenderItemPicture(source, s, cache); });
                } else
                    p.rendered = RenderItemPicture(p.source, s, cache);
                ++inFlight;
            }
        }
        pending.push_back(std::move(p));
    };
    // The worker's picture, waited for with the caller's event loop running.
    auto await = [&](PendingItem &item) {
        while (!item.future.isFinished()) {
            progress.KeepAlive();
            if (progress.Cancelled()) {
                workers->Stop(progress);
                throw TCancelled();
            }
            progress.Pause(kWaitSlice);
        }
        return item.future.result();
    };

    for (int index = 0; index < items; ++index) {
        progress.SetCount(index, items);
        CheckIn(progress);
        while (scheduled < items && (scheduled == index || inFlight < maxInFlight))
            schedule(scheduled++);
        PendingItem item = std::move(pending.front());
        pending.pop_front();
        const int node = index + 1;
        if (item.missing) {
            tree.SetCaption(node, QString::fromLatin1(kMissingCaption));
            continue;
        }
        tree.SetCaption(node, ExtractFileName(item.source));
        if (!settings)
            std::rethrow_exception(settingsError);
        --inFlight;
        const RenderedPicture rendered = item.byWorker ? await(item) : std::move(item.rendered);
        if (rendered.error) {
            // A picture that cannot be read leaves its item without one, as a missing
            // picture does; the build goes on and names it at the end.
            try {
                std::rethrow_exception(rendered.error);
            } catch (const QmError &error) {
                tree.SetCaption(node, QString::fromLatin1(kUnreadableCaption));
                document.UnreadablePictures.push_back({index, item.source, error.message().section(QLatin1Char('\n'), 0, 0)});
                continue;
            }
        }
        stored = true;
        staged.Write(index, QStringLiteral("p%1_t").arg(index) + PictureExtension(item.source), rendered.bytes);
        progress.Step(1);
    }
    progress.SetCount(items, items);
    // The last point at which the pass can stop; from here on the pictures are placed.
    CheckIn(progress);
    staged.Place(document, progress);
    if (stored)
        cache.Trim();
}
