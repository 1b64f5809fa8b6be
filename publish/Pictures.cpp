#include "publish/Pictures.h"

#include "model/Error.h"
#include "model/SaveFile.h"
#include "publish/Folders.h"
#include "publish/RenderCache.h"
#include "publish/Variants.h"
#include "publish/codecs/Formats.h"
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
// How long the pass waits for its workers to stop at a time before it looks at the window again.
constexpr int kWaitSlice = 10;
// How long it waits for a worker's picture at a time: short, since a picture taken
// from the cache is ready in well under a millisecond and the pass takes them in turn.
constexpr int kPollSlice = 1;

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

namespace {

// The start of a window of `size` in [0, extent) centred on `centre`, kept inside.
int CentredStart(int size, int extent, double centre)
{
    return std::clamp(Round(centre - size / 2.0), 0, std::max(extent - size, 0));
}

// A coordinate of Q to one of the picture, along one axis.
double QToPicture(double q, int fromLo, int fromHi, int intoLo, int intoHi)
{
    return fromHi > fromLo ? intoLo + (q - fromLo) * (intoHi - intoLo) / (fromHi - fromLo) : intoLo;
}

} // namespace

TFocalPoint PictureGeometry::PlaceInPicture(const TFocalPoint &point, int width, int height) const
{
    const double x = QToPicture(point.x * qw / 100.0, fromQ.left, fromQ.right, into.left, into.right);
    const double y = QToPicture(point.y * qh / 100.0, fromQ.top, fromQ.bottom, into.top, into.bottom);
    return {std::clamp(Round(x * 100.0 / std::max(width, 1)), 0, 100), std::clamp(Round(y * 100.0 / std::max(height, 1)), 0, 100)};
}

SourceRect PictureGeometry::SourceOf(const SourceRect &inPicture, int sw, int sh) const
{
    // The inverse of QToPicture, then Q to the source as sourceArea does.
    const double fx = qw > 0 ? double(sw) / qw : 1, fy = qh > 0 ? double(sh) / qh : 1;
    const auto x = [&](double p) {
        return std::clamp(QToPicture(p, into.left, into.right, fromQ.left, fromQ.right) * fx, 0.0, double(sw));
    };
    const auto y = [&](double p) {
        return std::clamp(QToPicture(p, into.top, into.bottom, fromQ.top, fromQ.bottom) * fy, 0.0, double(sh));
    };
    return {x(inPicture.left), y(inPicture.top), x(inPicture.right), y(inPicture.bottom)};
}

PictureGeometry ComputeGeometry(int sw, int sh, int width, int height, int mode, const std::optional<TFocalPoint> &focus)
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
        if (focus) {
            const int w = g.fromQ.width(), h = g.fromQ.height();
            const int left = CentredStart(w, g.qw, focus->x * g.qw / 100.0);
            const int top = CentredStart(h, g.qh, focus->y * g.qh / 100.0);
            g.fromQ = {left, top, left + w, top + h};
        }
        g.into = {0, 0, width, height};
        g.filled = false;
    }
    return g;
}

QString PictureExtension(const QString &sourcePath)
{
    const PictureFormat *format = FormatOfSource(sourcePath);
    return format ? QLatin1String(format->outputExtension) : QString();
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

// The area of `source` (in its decoded pixels) that a picture of geometry `g` draws.
SourceRect DecodedArea(const DecodedPicture &source, const PictureGeometry &g)
{
    const SourceRect area = g.sourceArea(source.shownWidth, source.shownHeight);
    const double f = source.scale;
    return {area.left * f, area.top * f, area.right * f, area.bottom * f};
}

} // namespace

DecodedPicture LoadForDrawing(const QString &sourcePath, int width, int height, int mode, TColor fill,
                              const std::optional<TFocalPoint> &focus)
{
    CheckPictureSize(width, height);
    DecodeRequest request;
    request.fill = fill;
    request.drawn = [&](int sw, int sh) {
        const PictureGeometry g = ComputeGeometry(sw, sh, width, height, mode, focus);
        return DrawnArea{g.sourceArea(sw, sh), g.into.width(), g.into.height()};
    };
    DecodedPicture source = LoadPicture(sourcePath, request);
    if (!FormatWriting(PictureExtension(sourcePath))->transparency) {
        // An output type without transparency shows the fill colour through it.
        Flatten(source.pixels, source.alpha, fill);
        source.alpha.clear();
    }
    return source;
}

bool HoldsPixelsFor(const DecodedPicture &source, int width, int height, int mode, const std::optional<TFocalPoint> &focus)
{
    const PictureGeometry g = ComputeGeometry(source.shownWidth, source.shownHeight, width, height, mode, focus);
    const SourceRect area = DecodedArea(source, g);
    return area.right - area.left >= g.into.width() && area.bottom - area.top >= g.into.height();
}

DrawnPicture DrawPicture(const DecodedPicture &source, int width, int height, int mode, TColor fill,
                         const std::optional<TFocalPoint> &focus)
{
    DrawnPicture picture;
    picture.pixels = Bitmap(width, height);
    const PictureGeometry g = ComputeGeometry(source.shownWidth, source.shownHeight, width, height, mode, focus);
    const SourceRect area = DecodedArea(source, g);
    if (g.filled)
        Fill(picture.pixels, fill);
    if (source.alpha.empty()) {
        StretchCopy(source.pixels, area, picture.pixels, g.into);
    } else {
        // Margins are filled opaque; what is drawn keeps the source's coverage.
        picture.alpha.assign(std::size_t(width) * std::size_t(height), g.filled ? 255 : 0);
        StretchCopyAlpha(source.pixels, source.alpha, area, picture.pixels, picture.alpha, g.into);
    }
    picture.lossless = source.lossless;
    picture.shownWidth = source.shownWidth;
    picture.shownHeight = source.shownHeight;
    return picture;
}

DrawnPicture RenderPicture(const QString &sourcePath, int width, int height, int mode, TColor fill, const std::optional<TFocalPoint> &focus)
{
    return DrawPicture(LoadForDrawing(sourcePath, width, height, mode, fill, focus), width, height, mode, fill, focus);
}

QByteArray EncodePicture(const DrawnPicture &picture, const QString &extension)
{
    const PictureFormat *format = FormatWriting(extension);
    if (!format)
        throw QmError(QStringLiteral("Pictures of the type \"%1\" cannot be written.").arg(extension));
    return format->encode(picture);
}

ResizedPicture ResizeImage(const QString &sourcePath, const QString &baseName, int width, int height, int mode, TColor fill)
{
    const DrawnPicture picture = RenderPicture(sourcePath, width, height, mode, fill);
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
    QString focus; // where the item's focal point landed in the picture, "x,y"; empty without one
    std::vector<RenderedVariant> variants;
    std::exception_ptr error;
};

// "p3_t": the name of the fourth item's pictures, without their extension.
QString ItemBaseName(int index)
{
    return QStringLiteral("p%1_t").arg(index);
}

// The item's picture, then its variants by `plan`: each decoded, resized and encoded,
// or copied from the cache. Touches nothing but the cache.
RenderedPicture RenderItem(const QString &source, int index, const RenderSettings &settings, const VariantPlan &plan,
                           const RenderCache &cache)
{
    RenderedPicture result;
    try {
        ItemDrawing drawing(source, settings);
        result.bytes = cache.LoadOrMake(source, settings, [&] { return EncodePicture(*drawing.At(1), settings.extension); });
        if (settings.focus) {
            // Where the focal point lands needs the source's size, which a picture taken
            // from the cache does not give: it is kept beside the picture.
            RenderSettings placed = settings;
            placed.extension += QStringLiteral("-focus");
            result.focus = QString::fromLatin1(
                cache.LoadOrMake(source, placed, [&] { return FocalPointText(drawing.PlacedFocus()).toLatin1(); }));
            if (!ParseFocalPoint(result.focus))
                result.focus = FocalPointText(drawing.PlacedFocus());
        }
        result.variants = RenderItemVariants(drawing, ItemBaseName(index), plan, cache);
    } catch (...) {
        result.bytes.clear();
        result.variants.clear();
        result.error = std::current_exception();
    }
    return result;
}

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

    const VariantPlan plan = PlanVariants(document.AppletExtras, CurrentExtrasOverride());
    // The items' pictures, variants and focal points, applied to the document once all are placed.
    std::vector<std::pair<int, QString>> pictures;
    std::vector<TPictureVariants> variants(document.Items.size());
    std::vector<QString> focus(document.Items.size());

    const int jobs = options.jobs > 0 ? options.jobs : std::max(QThread::idealThreadCount(), 1);
    const RenderCache cache(options.useCache ? RenderCache::UserFolder() : QString());
    TStagedPictures staged;
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
                s.focus = ParseFocalPoint(document.Items[std::size_t(index)].FocalPoint);
                if (workers) {
                    p.byWorker = true;
                    p.future =
                        workers->Submit([source = p.source, index, s, &plan, &cache] { return RenderItem(source, index, s, plan, cache); });
                } else
                    p.rendered = RenderItem(p.source, index, s, plan, cache);
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
            progress.Pause(kPollSlice);
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
        const QString fileName = ItemBaseName(index) + PictureExtension(item.source);
        staged.Write(fileName, rendered.bytes);
        pictures.emplace_back(index, fileName);
        for (const RenderedVariant &variant : rendered.variants) {
            staged.Write(variant.fileName, variant.bytes);
            variants[std::size_t(index)].push_back({variant.scale, variant.fileName});
        }
        focus[std::size_t(index)] = rendered.focus;
        progress.Step(1);
    }
    progress.SetCount(items, items);
    // The last point at which the pass can stop; from here on the pictures are placed.
    CheckIn(progress);
    staged.Place(document, progress);
    for (const auto &[index, fileName] : pictures) {
        TItemData data = document.GetItem(index);
        data.ImageFile = fileName;
        document.SetItem(data, index);
    }
    document.ItemVariants = std::move(variants);
    document.ItemFocus = std::move(focus);
    if (stored)
        cache.Trim();
}
