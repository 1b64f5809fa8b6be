// qm-resize [--scale N] IN OUT W H MODE [FILL]: draws IN as an item picture of W x H
// pixels in MODE (0 margins of FILL, RRGGBB, default black; 1 fill and crop) and
// writes it to OUT in IN's type, exactly as a build does, without the working
// folders. An OUT named .jpg, .gif, .bmp or .png takes that type instead (the
// benchmarks quantise a 24-bit picture to compare palettes, and keep drawn pictures
// without loss). With --scale N it draws the item's picture at N times W x H as a
// build with larger pictures does.
#include "model/Error.h"
#include "model/SaveFile.h"
#include "publish/Pictures.h"
#include "publish/Variants.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    int scale = 1;
    if (args.size() > 2 && args[1] == QLatin1String("--scale")) {
        scale = args[2].toInt();
        args.remove(1, 2);
    }
    if (args.size() < 6 || args.size() > 7 || scale < 1) {
        std::fprintf(stderr, "usage: qm-resize [--scale N] IN OUT W H MODE [RRGGBB]\n");
        return 2;
    }
    try {
        const QString in = args[1], out = args[2];
        RenderSettings settings;
        settings.width = StrToInt(args[3]);
        settings.height = StrToInt(args[4]);
        settings.mode = StrToInt(args[5]) == 0 ? 0 : 1;
        settings.fill = args.size() > 6 ? HexToColor(args[6]) : 0;
        settings.extension = PictureExtension(in);
        ItemDrawing drawing(in, settings);
        const DrawnPicture *picture = drawing.At(scale);
        if (!picture) {
            std::fprintf(stderr, "qm-resize: the source holds too few pixels for scale %d\n", scale);
            return 1;
        }
        const QString type = PictureExtension(out).isEmpty() ? settings.extension : PictureExtension(out);
        SaveWholeFile(out, EncodePicture(*picture, type));
    } catch (const QmError &e) {
        std::fprintf(stderr, "qm-resize: %s\n", qPrintable(e.message()));
        return 1;
    }
    return 0;
}
