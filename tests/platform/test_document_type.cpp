#include "ScratchHome.h"

#include "platform/DocumentType.h"

#include <QCoreApplication>
#include <QDir>
#include <QXmlStreamReader>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

namespace {

QString Read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

class DocumentType : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_scratch.isValid());
        QPixmap icon(32, 32);
        icon.fill(Qt::darkCyan);
        QGuiApplication::setWindowIcon(QIcon(icon));
    }

    QString Data(const QString &relative) const { return m_scratch.DataHome() + QLatin1Char('/') + relative; }

    ScratchHome m_scratch;
};

} // namespace

TEST_F(DocumentType, WritesIconDesktopEntryAndMimePackage)
{
    RegisterDocumentType();

    const QString desktop = Read(Data(QStringLiteral("applications/quillmere.desktop")));
    ASSERT_FALSE(desktop.isEmpty());
    EXPECT_TRUE(desktop.contains(QStringLiteral("\nExec=") + QCoreApplication::applicationFilePath() + QStringLiteral(" %f\n")))
        << desktop.toStdString();
    EXPECT_TRUE(desktop.contains(QStringLiteral("\nMimeType=application/x-quillmere.document;\n")));
    EXPECT_TRUE(desktop.contains(QStringLiteral("\nIcon=quillmere\n")));

    // The package's elements, namespace and attributes as the desktop reads them.
    QXmlStreamReader mime(Read(Data(QStringLiteral("mime/packages/Quillmere.Document.xml"))));
    QStringList seen;
    while (!mime.atEnd()) {
        if (mime.readNext() != QXmlStreamReader::StartElement)
            continue;
        QString line = mime.name().toString();
        if (mime.name() == QLatin1String("mime-info"))
            line += QLatin1Char(' ') + mime.namespaceUri().toString();
        else if (mime.name() == QLatin1String("mime-type"))
            line += QLatin1Char(' ') + mime.attributes().value(QLatin1String("type")).toString();
        else if (mime.name() == QLatin1String("glob"))
            line += QLatin1Char(' ') + mime.attributes().value(QLatin1String("pattern")).toString();
        else if (mime.name() == QLatin1String("comment"))
            line += QLatin1Char(' ') + mime.readElementText();
        seen << line;
    }
    ASSERT_FALSE(mime.hasError()) << mime.errorString().toStdString();
    EXPECT_EQ(seen, (QStringList{QStringLiteral("mime-info http://www.freedesktop.org/standards/shared-mime-info"),
                                 QStringLiteral("mime-type application/x-quillmere.document"), QStringLiteral("comment Quillmere.Document"),
                                 QStringLiteral("icon"), QStringLiteral("glob *.qmreel1")}));

    const QImage icon(Data(QStringLiteral("icons/hicolor/64x64/apps/quillmere.png")));
    EXPECT_FALSE(icon.isNull());
}

TEST_F(DocumentType, RewritesEveryStart)
{
    RegisterDocumentType();
    const QString path = Data(QStringLiteral("applications/quillmere.desktop"));
    const QString first = Read(path);
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[Desktop Entry]\nExec=/old/place/quillmere %f\n");
    }
    RegisterDocumentType();
    EXPECT_EQ(Read(path), first);
}

TEST_F(DocumentType, FailuresAreSilentAndEndTheRegistration)
{
    // "applications" is a file: the icon is written, the entry cannot be, the
    // mime package after it is not attempted.
    ASSERT_TRUE(QDir().mkpath(Data(QString())));
    {
        QFile blocker(Data(QStringLiteral("applications")));
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
    EXPECT_NO_THROW(RegisterDocumentType());
    EXPECT_TRUE(QFile::exists(Data(QStringLiteral("icons/hicolor/64x64/apps/quillmere.png"))));
    EXPECT_FALSE(QFile::exists(Data(QStringLiteral("mime/packages/Quillmere.Document.xml"))));

    // A data folder that cannot exist at all.
    m_scratch.SetDataHome(Data(QStringLiteral("applications/below-a-file")));
    EXPECT_NO_THROW(RegisterDocumentType());
}

// The per-user entry has the installed entry's name, so it hides that one once the editor
// has run: it must say all the installed one says, and both MIME packages must declare
// the same type.
TEST_F(DocumentType, PerUserRegistrationSaysWhatTheInstalledFilesSay)
{
    RegisterDocumentType();
    const QString packaging = QStringLiteral(QM_TESTS_SOURCE_DIR "/../packaging/");

    const auto keys = [](const QString &text) {
        QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        lines.removeIf([](const QString &line) { return line.startsWith(QLatin1String("Exec=")); });
        return lines;
    };
    const QString installed = Read(packaging + QStringLiteral("quillmere.desktop"));
    ASSERT_FALSE(installed.isEmpty());
    EXPECT_EQ(keys(Read(Data(QStringLiteral("applications/quillmere.desktop")))), keys(installed));
    EXPECT_TRUE(installed.contains(QStringLiteral("\nExec=quillmere %f\n")));

    const auto parsed = [](const QString &text) {
        QXmlStreamReader xml(text);
        QStringList events;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement()) {
                QString event = xml.namespaceUri().toString() + QLatin1Char(' ') + xml.name().toString();
                for (const QXmlStreamAttribute &attribute : xml.attributes())
                    event += QLatin1Char(' ') + attribute.name().toString() + QLatin1Char('=') + attribute.value().toString();
                events << event;
            } else if (xml.isCharacters() && !xml.isWhitespace()) {
                events << xml.text().toString();
            }
        }
        if (xml.hasError())
            events << QStringLiteral("error: ") + xml.errorString();
        return events;
    };
    const QStringList mime = parsed(Read(packaging + QStringLiteral("quillmere.xml")));
    ASSERT_FALSE(mime.isEmpty());
    EXPECT_EQ(parsed(Read(Data(QStringLiteral("mime/packages/Quillmere.Document.xml")))), mime);
}

TEST(DocumentTypeExec, PathIsQuotedOnlyWhereTheLauncherWouldSplitIt)
{
    EXPECT_EQ(DesktopExecLine(QStringLiteral("/opt/quillmere/bin/quillmere")), QStringLiteral("/opt/quillmere/bin/quillmere %f"));
    EXPECT_EQ(DesktopExecLine(QStringLiteral("/home/ann/My Apps/quillmere")), QStringLiteral("\"/home/ann/My Apps/quillmere\" %f"));
    EXPECT_EQ(DesktopExecLine(QStringLiteral("/a/$x/q")), QStringLiteral("\"/a/\\$x/q\" %f"));
    EXPECT_EQ(DesktopExecLine(QStringLiteral("/a/100%/q")), QStringLiteral("/a/100%%/q %f"));
}
