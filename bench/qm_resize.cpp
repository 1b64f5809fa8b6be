// qm-resize IN OUT W H MODE [FILL]: draws IN as an item picture of W x H pixels in
// MODE (0 margins of FILL, RRGGBB, default black; 1 fill and crop) and writes it to
// OUT in IN's type, exactly as a build does, without the working folders. An OUT
// named .jpg, .gif or .bmp takes that type instead (the benchmark quantises a
// 24-bit picture to compare palettes).
#include "model/Error.h"
#include "model/SaveFile.h"
#include "publish/Pictures.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 6 || args.size() > 7) {
        std::fprintf(stderr, "usage: qm-resize IN OUT W H MODE [RRGGBB]\n");
        return 2;
    }
    try {
        const QString in = args[1], out = args[2];
        const int width = StrToInt(args[3]), height = StrToInt(args[4]);
        const int mode = StrToInt(args[5]) == 0 ? 0 : 1;
        const TColor fill = args.size() > 6 ? HexToColor(args[6]) : 0;
        const QString type = PictureExtension(out).isEmpty() ? PictureExtension(in) : PictureExtension(out);
        SaveWholeFile(out, EncodePicture(RenderPicture(in, width, height, mode, fill), type));
    } catch (const QmError &e) {
        std::fprintf(stderr, "qm-resize: %s\n", qPrintable(e.message()));
        return 1;
    }
    return 0;
}
