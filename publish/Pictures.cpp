#include "publish/Pictures.h"

#include "model/Error.h"
#include "model/SaveFile.h"
#include "publish/BmpCodec.h"
#include "publish/Folders.h"
#include "publish/GifCodec.h"
#include "publish/JpegCodec.h"
#include "publish/WorkingFiles.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cmath>

namespace {

const char *const kMissingCaption = "Warning: Original image not found.";
const char *const kStage = "Processing images ...";

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

Bitmap RenderPicture(const QString &sourcePath, int width, int height, int mode, TColor fill)
{
    if (width < 1 || height < 1)
        throw QmError(QStringLiteral("The item pictures cannot be made %1 x %2 pixels: width and height must be at "
                                     "least 1.")
                          .arg(width)
                          .arg(height));
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
            // Decode at the smallest DCT scale that keeps about twice the pixels drawn.
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

ResizedPicture ResizeImage(const QString &sourcePath, const QString &baseName, int width, int height, int mode, TColor fill)
{
    const Bitmap picture = RenderPicture(sourcePath, width, height, mode, fill);
    const QString extension = PictureExtension(sourcePath);
    QByteArray bytes;
    if (extension == QLatin1String(".jpg"))
        bytes = EncodeJpeg(picture, 90);
    else if (extension == QLatin1String(".gif"))
        bytes = EncodeGif(picture);
    else
        bytes = EncodeBmp(picture);
    ResizedPicture result;
    result.fileName = baseName + extension;
    result.fullPath = TempFolder() + result.fileName;
    SaveWholeFile(result.fullPath, bytes);
    return result;
}

void ProcessItemImages(TAppletAgent &document, IItemTree &tree, IProgress &progress)
{
    const int count = tree.NodeCount();
    progress.SetMaximum(count);
    progress.SetStage(QString::fromLatin1(kStage));
    progress.SetBusy(true);
    // Position 0, no stage text and the normal cursor again, also when a picture fails.
    ProgressReset reset(progress);
    for (int node = 1; node < count; ++node) {
        const int index = node - 1;
        if (std::size_t(index) >= document.Items.size())
            break;
        TItemData item = document.GetItem(index);
        const QString source = TrimText(item.OriginalImagePath);
        if (!HasPictureSource(source)) {
            tree.SetCaption(node, QString::fromLatin1(kMissingCaption));
            continue;
        }
        tree.SetCaption(node, ExtractFileName(source));
        const TAppletData &data = document.AppletData;
        const int width = StrToInt(data.ActiveItemWidth);
        const int height = StrToInt(data.ItemHeight);
        // Only "0" keeps the margins; any other stored number fills and crops.
        const int mode = StrToInt(data.ThumbProcessType) == 0 ? 0 : 1;
        const TColor fill = HexToColor(data.ThumbFillColor);
        const ResizedPicture picture = ResizeImage(source, QStringLiteral("p%1_t").arg(index), width, height, mode, fill);
        item.ImageFile = picture.fileName;
        document.SetItem(item, index);
        AddWorkingFile(document, picture.fullPath);
        QFile::remove(picture.fullPath);
        progress.Step(1);
    }
}
