#include "platform/DocumentType.h"

#include "model/Error.h"
#include "model/Product.h"
#include "model/SaveFile.h"
#include "publish/Folders.h"

#include <QBuffer>
#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSettings>
#include <QStandardPaths>
#include <QXmlStreamWriter>

namespace {

#ifndef Q_OS_WIN

const char *const kIconName = kEditorProgram;

// The per-user data folder ($XDG_DATA_HOME, by default ~/.local/share).
QString UserDataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

void MakeFolder(const QString &path)
{
    if (!QDir().mkpath(path))
        throw QmError(QStringLiteral("Cannot create %1").arg(path));
}

// The program's icon as the window shows it, written into the user's icon theme.
void WriteIcon(const QString &dataFolder)
{
    const QIcon icon = QGuiApplication::windowIcon();
    const QImage image = icon.pixmap(QSize(64, 64)).toImage();
    if (image.isNull())
        return; // a program without an icon keeps the desktop's default picture
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        throw QmError(QStringLiteral("Cannot encode the icon"));
    const QString folder = dataFolder + QStringLiteral("/icons/hicolor/64x64/apps");
    MakeFolder(folder);
    SaveWholeFile(folder + QLatin1Char('/') + QLatin1String(kIconName) + QStringLiteral(".png"), bytes);
}

void WriteDesktopEntry(const QString &dataFolder)
{
    const QString folder = dataFolder + QStringLiteral("/applications");
    MakeFolder(folder);
    QByteArray text;
    // A per-user entry of the same name hides the installed one, so it says all the
    // installed one says: without the categories the program would leave its menu.
    text += "[Desktop Entry]\n";
    text += "Type=Application\n";
    text += QByteArray("Name=") + kProductName + "\n";
    text += "GenericName=Slideshow Builder\n";
    text += "Comment=Build web page slideshows of pictures that slide open side by side\n";
    text += "Exec=" + DesktopExecLine(ProgramFile()).toUtf8() + "\n";
    text += QByteArray("Icon=") + kIconName + "\n";
    text += "MimeType=" + DocumentMimeType().toUtf8() + ";\n";
    text += "Categories=Graphics;Publishing;\n";
    text += "Keywords=slideshow;gallery;web page;pictures;\n";
    text += "Terminal=false\n";
    SaveWholeFile(folder + QLatin1Char('/') + QLatin1String(kEditorProgram) + QStringLiteral(".desktop"), text);
}

void WriteMimePackage(const QString &dataFolder)
{
    const QString folder = dataFolder + QStringLiteral("/mime/packages");
    MakeFolder(folder);
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("mime-info"));
    xml.writeDefaultNamespace(QStringLiteral("http://www.freedesktop.org/standards/shared-mime-info"));
    xml.writeStartElement(QStringLiteral("mime-type"));
    xml.writeAttribute(QStringLiteral("type"), DocumentMimeType());
    xml.writeTextElement(QStringLiteral("comment"), DocumentTypeId());
    xml.writeEmptyElement(QStringLiteral("icon"));
    xml.writeAttribute(QStringLiteral("name"), QLatin1String(kIconName));
    xml.writeEmptyElement(QStringLiteral("glob"));
    xml.writeAttribute(QStringLiteral("pattern"), QLatin1Char('*') + QLatin1String(kDocumentExtension));
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    SaveWholeFile(folder + QLatin1Char('/') + DocumentTypeId() + QStringLiteral(".xml"), bytes);
}

#endif

} // namespace

QString DocumentTypeId()
{
    return ProductName() + QStringLiteral(".Document");
}

QString DocumentMimeType()
{
    return QStringLiteral("application/x-%1.document").arg(QLatin1String(kEditorProgram));
}

QString DesktopExecLine(const QString &programPath)
{
    // Reserved characters make the launcher split or expand the path; such a path is
    // quoted, with the characters that stay special inside quotes escaped.
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool quote = false;
    for (const QChar c : programPath)
        quote = quote || reserved.contains(c);
    QString path = programPath;
    if (quote) {
        QString escaped;
        for (const QChar c : programPath) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
                escaped += QLatin1Char('\\');
            escaped += c;
        }
        path = QLatin1Char('"') + escaped + QLatin1Char('"');
    }
    // A literal percent sign is written doubled.
    path.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return path + QStringLiteral(" %f");
}

void RegisterDocumentType()
{
    try {
#ifdef Q_OS_WIN
        QSettings classes(QStringLiteral("HKEY_CURRENT_USER\\Software\\Classes"), QSettings::NativeFormat);
        const QString type = DocumentTypeId();
        const std::pair<QString, QString> rows[] = {
            {type + QStringLiteral("/DefaultIcon/Default"), ProgramFile() + QStringLiteral(",0")},
            {type + QStringLiteral("/shell/open/command/Default"), ProgramFile() + QStringLiteral(" %1")},
            {QLatin1String(kDocumentExtension) + QStringLiteral("/Default"), type},
        };
        for (const auto &[key, value] : rows) {
            classes.setValue(key, value);
            classes.sync();
            if (classes.status() != QSettings::NoError)
                return;
        }
#else
        const QString dataFolder = UserDataFolder();
        if (dataFolder.isEmpty())
            return;
        WriteIcon(dataFolder);
        WriteDesktopEntry(dataFolder);
        WriteMimePackage(dataFolder);
#endif
    } catch (...) {
        // Registration is a courtesy: start-up goes on whatever happened.
    }
}
