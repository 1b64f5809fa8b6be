// The one table of picture formats: a row maps source extensions to a decoder, the
// output type (whose row holds the encoder), a check of the file's first bytes and
// the picture dialogs' filter entry. Adding a format is one row here and one codec
// file beside this one; the dialogs, the messages and the checks follow the table.
#pragma once

#include "publish/codecs/Codec.h"

#include <QString>
#include <QStringList>

#include <span>

struct PictureFormat
{
    const char *name;            // as the messages call it: "JPEG"
    QStringList extensions;      // lower case, without the dot, the usual one first
    const char *outputExtension; // the published picture's type: ".jpg"
    const char *filterName;      // the dialog's entry: "Jpeg Files"
    bool transparency;           // the output type keeps a picture's coverage
    // True when the file's first bytes (kSniffBytes or fewer) can begin such a file.
    bool (*sniff)(const QByteArray &head);
    DecodedPicture (*decode)(const QByteArray &bytes, const DecodeRequest &request);
    // Writes a picture in this row's own type; null for a type that is only read.
    QByteArray (*encode)(const DrawnPicture &picture);
};

inline constexpr int kSniffBytes = 32;

std::span<const PictureFormat> PictureFormats();

// The row of the source's extension (any letter case); null for an unsupported one.
const PictureFormat *FormatOfSource(const QString &path);
// The row that writes pictures of `outputExtension` (".jpg"); null for none.
const PictureFormat *FormatWriting(const QString &outputExtension);

// Empty when the file at `path` looks like a supported picture (by its extension and
// first bytes, without decoding it); otherwise why it cannot be used, naming the file.
QString PictureProblem(const QString &path);

// The refusal of a source of another type, naming every supported type.
QString UnsupportedPictureMessage(const QString &path);
// "JPEG (.jpg, .jpeg), GIF (.gif), ... and TIFF (.tif, .tiff)".
QString SupportedPictureTypes();
// The picture dialogs' filter: all types in one entry, then one entry per type.
QString PictureDialogFilter();

// Reads, decodes and prepares a source for drawing: colours converted to sRGB and
// turned upright. Raises QmError naming the file for anything it cannot use.
DecodedPicture LoadPicture(const QString &path, const DecodeRequest &request);
