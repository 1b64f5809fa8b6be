// The player's configuration and items files, the item preparation before them,
// and the file-name prefix they are named with.
#include "test_driver_fixture.h"

#include "model/Error.h"
#include "model/MemorySeams.h"
#include "publish/ConfigXml.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QXmlStreamReader>

using namespace publishtest;

namespace {

TItemData Item(const QString &imageFile, const QString &link = QString(), const QString &hTitle = QString(),
               const QString &vTitle = QString())
{
    TItemData item = TAppletAgent::NewItem();
    item.ImageFile = imageFile;
    item.Link = link;
    item.HTitle = hTitle;
    item.VTitle = vTitle;
    item.Level = QStringLiteral("0");
    return item;
}

// Every attribute of every <item>, as the player reads them.
QList<QStringList> ParseItems(const QByteArray &bytes)
{
    QList<QStringList> items;
    QXmlStreamReader reader(bytes);
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement && reader.name() == QLatin1String("item")) {
            QStringList values;
            for (const QXmlStreamAttribute &a : reader.attributes())
                values << a.name().toString() + QLatin1Char('=') + a.value().toString();
            items << values;
        }
    }
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    return items;
}

} // namespace

TEST(ConfigXml, DefaultConfigurationFileIsExact)
{
    TAppletAgent document = DefaultDocument();
    document.AppletData.InactiveItemAlpha = QStringLiteral("40"); // never reaches the player
    const QByteArray expected = CrLf({
        QStringLiteral("<qmfoldreel>"),
        QStringLiteral("  <ItemsConfigFile>slideshow1items.xml</ItemsConfigFile>"),
        QStringLiteral("  <ActiveItemWidth>667</ActiveItemWidth>"),
        QStringLiteral("  <InactiveItemWidth>75</InactiveItemWidth>"),
        QStringLiteral("  <SlidingSpeed>6</SlidingSpeed>"),
        QStringLiteral("  <InactiveItemGray>1</InactiveItemGray>"),
        QStringLiteral("  <InactiveItemAlpha>100</InactiveItemAlpha>"),
        QStringLiteral("  <EnableVerticalTitles>1</EnableVerticalTitles>"),
        QStringLiteral("  <AutoPlay>1</AutoPlay>"),
        QStringLiteral("  <SwitchImageDelay>1</SwitchImageDelay>"),
        QStringLiteral("</qmfoldreel>"),
    });
    EXPECT_EQ(ConfigFileBytes(document.AppletData, FilePrefix(document.AppletData)), expected);
}

TEST(ConfigXml, ItemsFileIsExactAndEscapesMarkup)
{
    TAppletAgent document = DefaultDocument();
    document.AppletData.HoriTitleFontColor = QStringLiteral("FF0000");
    document.AppletData.VertTitleFontSize = QStringLiteral("12");
    document.Items = {Item(QStringLiteral("p0_t.jpg"), QStringLiteral("http://a.example/?x=1&y=2"), QStringLiteral("Tom & \"Jerry\""),
                           QStringLiteral("<b>")),
                      Item(QStringLiteral("p1_t.gif"))};
    document.Items[1].Target = QString();
    const QByteArray expected = CrLf({
        QStringLiteral("<qmfoldreel>"),
        QStringLiteral("  <item largeimage=\"p0_t.jpg\" link=\"http://a.example/?x=1&amp;y=2\" target=\"_self\" "
                       "htitle=\"Tom &amp; &quot;Jerry&quot;\" htitlecolor=\"0xFF0000\" htitlesize=\"24\" "
                       "vtitle=\"&lt;b&gt;\" vtitlecolor=\"0xFFFFFF\" vtitlesize=\"12\"/>"),
        QStringLiteral("  <item largeimage=\"p1_t.gif\" link=\"\" target=\"\" htitle=\"\" htitlecolor=\"0xFF0000\" "
                       "htitlesize=\"24\" vtitle=\"\" vtitlecolor=\"0xFFFFFF\" vtitlesize=\"12\"/>"),
        QStringLiteral("</qmfoldreel>"),
    });
    const QByteArray bytes = ItemsFileBytes(document);
    EXPECT_EQ(bytes, expected);
    // A reader gets the values back unchanged, attributes in their order.
    const QList<QStringList> parsed = ParseItems(bytes);
    ASSERT_EQ(parsed.size(), 2);
    EXPECT_EQ(parsed[0].at(1), QStringLiteral("link=http://a.example/?x=1&y=2"));
    EXPECT_EQ(parsed[0].at(3), QStringLiteral("htitle=Tom & \"Jerry\""));
    EXPECT_EQ(parsed[0].at(6), QStringLiteral("vtitle=<b>"));
}

TEST(ConfigXml, EmptyGalleryAndUnrepresentableCharacters)
{
    TAppletAgent document = DefaultDocument();
    EXPECT_EQ(ItemsFileBytes(document), QByteArray("<qmfoldreel/>\r\n"));

    // A control character edited into a project file by hand cannot break the file.
    document.Items = {Item(QStringLiteral("p0_t.jpg"), QString(), QStringLiteral("a") + QChar(0x01) + QStringLiteral("b\tc"),
                           QStringLiteral("\u00e9t\u00e9 \u20ac"))};
    const QByteArray bytes = ItemsFileBytes(document);
    const QList<QStringList> parsed = ParseItems(bytes);
    ASSERT_EQ(parsed.size(), 1);
    EXPECT_EQ(parsed[0].at(3), QStringLiteral("htitle=ab\tc"));
    // UTF-8 without a declaration.
    EXPECT_TRUE(bytes.contains("vtitle=\"\xc3\xa9t\xc3\xa9 \xe2\x82\xac\""));
    EXPECT_FALSE(bytes.startsWith("<?xml"));
}

TEST(ConfigXml, ImagePathFollowsTheLeadingPathSwitch)
{
    TAppletAgent document = DefaultDocument();
    document.Items = {Item(QStringLiteral("p0_t.jpg"))};
    document.AppletData.ImageLeadingPath = QStringLiteral("images/");
    document.AppletData.ImageLeadingPathEnabled = QStringLiteral("1");
    EXPECT_EQ(ItemImagePath(document.AppletData, document.Items[0]), QStringLiteral("images/p0_t.jpg"));
    EXPECT_TRUE(ItemsFileBytes(document).contains("largeimage=\"images/p0_t.jpg\""));
    document.AppletData.ImageLeadingPath = QStringLiteral("pics"); // no separator is added
    EXPECT_EQ(ItemImagePath(document.AppletData, document.Items[0]), QStringLiteral("picsp0_t.jpg"));
    document.AppletData.ImageLeadingPathEnabled = QStringLiteral("0");
    EXPECT_EQ(ItemImagePath(document.AppletData, document.Items[0]), QStringLiteral("p0_t.jpg"));
}

TEST(ConfigXml, PrefixDropsBlanksAndRefusesUnsafeNames)
{
    TAppletData data;
    data.ScriptName = QStringLiteral("my gallery  2");
    EXPECT_EQ(FilePrefix(data), QStringLiteral("mygallery2"));
    EXPECT_EQ(ConfigFileName(FilePrefix(data)), QStringLiteral("mygallery2config.xml"));
    EXPECT_EQ(ItemsFileName(FilePrefix(data)), QStringLiteral("mygallery2items.xml"));

    for (const QString &good : {QStringLiteral("slideshow1"), QStringLiteral("Été-2024_a.b"), QStringLiteral("a&b")})
        EXPECT_NO_THROW(CheckFilePrefix(good)) << good.toStdString();

    auto messageOf = [](const QString &prefix) {
        try {
            CheckFilePrefix(prefix);
        } catch (const QmError &e) {
            return e.message();
        }
        return QString();
    };
    EXPECT_TRUE(messageOf(QString()).contains(QStringLiteral("empty")));
    EXPECT_TRUE(messageOf(QStringLiteral("..")).contains(QStringLiteral("\"..\"")));
    EXPECT_TRUE(messageOf(QStringLiteral("a..b")).contains(QStringLiteral("\"..\"")));
    EXPECT_TRUE(messageOf(QStringLiteral("a") + QChar(0x07)).contains(QStringLiteral("U+0007")));
    for (const char *bad : {"\\", "/", ":", "*", "?", "\"", "<", ">", "|"}) {
        const QString message = messageOf(QStringLiteral("x") + QLatin1String(bad) + QStringLiteral("y"));
        EXPECT_TRUE(message.contains(QStringLiteral("contains the character %1,").arg(QLatin1String(bad))))
            << bad << " -> " << message.toStdString();
    }
}

TEST(ConfigXmlPrepareItems, LevelsComeFromTheTree)
{
    MemoryItemTree tree;
    tree.AddLastChild(0, QStringLiteral("a"));   // 1
    tree.AddLastChild(1, QStringLiteral("a1"));  // 2
    tree.AddLastChild(2, QStringLiteral("a11")); // 3
    tree.AddLastChild(0, QStringLiteral("b"));   // 4
    TAppletAgent document = DefaultDocument(4);
    for (TItemData &item : document.Items)
        item.Level = QStringLiteral("7");
    PrepareItems(document, tree);
    QStringList levels;
    for (const TItemData &item : document.Items)
        levels << item.Level;
    EXPECT_EQ(levels, (QStringList{"0", "1", "2", "0"}));
}

TEST(ConfigXmlPrepareItems, LinkPrefixSwitchBothWaysIgnoringCase)
{
    MemoryItemTree tree;
    tree.AddLastChild(0, QStringLiteral("a"));
    tree.AddLastChild(0, QStringLiteral("b"));
    TAppletAgent document = DefaultDocument(2);
    document.AppletData.RootDirLocal = QStringLiteral("file:///C:/Site/");
    document.AppletData.RootDirRemote = QStringLiteral("http://www.example.com/");

    // Web path chosen: the local prefix, in any letter case, becomes the web prefix.
    document.AppletData.RootDirLocalChecked = QStringLiteral("0");
    document.Items[0].Link = QStringLiteral("FILE:///c:/site/a.html");
    document.Items[1].Link = QStringLiteral("mailto://me");
    PrepareItems(document, tree);
    EXPECT_EQ(document.Items[0].Link, QStringLiteral("http://www.example.com/a.html"));
    EXPECT_EQ(document.Items[1].Link, QStringLiteral("mailto://me"));

    // Local path chosen: back again, every occurrence.
    document.AppletData.RootDirLocalChecked = QStringLiteral("1");
    document.Items[1].Link = QStringLiteral("HTTP://WWW.example.com/x?u=http://www.example.com/y");
    PrepareItems(document, tree);
    EXPECT_EQ(document.Items[0].Link, QStringLiteral("file:///C:/Site/a.html"));
    EXPECT_EQ(document.Items[1].Link, QStringLiteral("file:///C:/Site/x?u=file:///C:/Site/y"));
}

TEST(ConfigXmlPrepareItems, LinksStayWhenOnePrefixIsBlank)
{
    MemoryItemTree tree;
    tree.AddLastChild(0, QStringLiteral("a"));
    TAppletAgent document = DefaultDocument(1);
    document.Items[0].Link = QStringLiteral("http://www.example.com/a.html");
    document.AppletData.RootDirRemote = QStringLiteral("http://www.example.com/");
    for (const QString &local : {QString(), QStringLiteral("   ")}) {
        document.AppletData.RootDirLocal = local;
        for (const char *checked : {"0", "1"}) {
            document.AppletData.RootDirLocalChecked = QLatin1String(checked);
            PrepareItems(document, tree);
            EXPECT_EQ(document.Items[0].Link, QStringLiteral("http://www.example.com/a.html"));
        }
    }
    document.AppletData.RootDirLocal = QStringLiteral("file:///C:/Site/");
    document.AppletData.RootDirRemote = QString();
    PrepareItems(document, tree);
    EXPECT_EQ(document.Items[0].Link, QStringLiteral("http://www.example.com/a.html"));
}

class ConfigXmlFiles : public PublishTest
{
};

TEST_F(ConfigXmlFiles, PlacedInThePreviewFolderAndRepeatable)
{
    TAppletAgent document = DefaultDocument();
    document.AppletData.ScriptName = QStringLiteral("my gallery 2");
    document.Items = {Item(QStringLiteral("p0_t.jpg"))};
    document.AppletData.ImageLeadingPathEnabled = QStringLiteral("1");
    document.AppletData.ImageLeadingPath = QStringLiteral("img/");

    const QString first = WriteConfigFiles(document, FilePrefix(document.AppletData));
    EXPECT_EQ(first, QStringLiteral("img/p0_t.jpg"));
    EXPECT_EQ(document.LinkedFiles[3].FileName, QStringLiteral("mygallery2config.xml"));
    EXPECT_EQ(document.LinkedFiles[4].FileName, QStringLiteral("mygallery2items.xml"));
    EXPECT_EQ(document.LinkedFiles[3].Generated, 1);
    EXPECT_EQ(document.WorkingFiles, (QStringList{"mygallery2config.xml", "mygallery2items.xml", "mygallery2data.js"}));
    EXPECT_EQ(FilesIn(Preview()), (QStringList{"mygallery2config.xml", "mygallery2data.js", "mygallery2items.xml"}));
    EXPECT_TRUE(FilesIn(Temp()).isEmpty());
    EXPECT_TRUE(ReadBytes(Preview() + "mygallery2config.xml").contains("<ItemsConfigFile>mygallery2items.xml</ItemsConfigFile>"));

    const QByteArray config = ReadBytes(Preview() + "mygallery2config.xml");
    const QByteArray items = ReadBytes(Preview() + "mygallery2items.xml");
    WriteConfigFiles(document, FilePrefix(document.AppletData));
    EXPECT_EQ(ReadBytes(Preview() + "mygallery2config.xml"), config);
    EXPECT_EQ(ReadBytes(Preview() + "mygallery2items.xml"), items);
    EXPECT_EQ(document.WorkingFiles.size(), 6);
}

TEST(ConfigXml, VariantsAndFocalPointsAreWrittenOnlyForItemsThatHaveThem)
{
    TAppletAgent document = DefaultDocument();
    document.Items = {Item(QStringLiteral("p0_t.jpg")), Item(QStringLiteral("p1_t.gif")), Item(QStringLiteral("p2_t.jpg"))};
    document.AppletData.ImageLeadingPathEnabled = QStringLiteral("1");
    document.AppletData.ImageLeadingPath = QStringLiteral("img/");
    const QByteArray plain = ItemsFileBytes(document);
    document.ItemVariants = {{{2, "p0_t@2x.jpg"}, {1, "p0_t.webp"}, {2, "p0_t@2x.webp"}}, {{1, "p1_t.webp"}}, {}};
    document.ItemFocus = {QString(), QStringLiteral("40,25"), QString()};
    const QList<QStringList> items = ParseItems(ItemsFileBytes(document));
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0].mid(9), (QStringList{"srcset=img/p0_t@2x.jpg 2x", "webpset=img/p0_t.webp 1x, img/p0_t@2x.webp 2x"}));
    EXPECT_EQ(items[1].mid(9), (QStringList{"webpset=img/p1_t.webp 1x", "focus=40,25"}));
    EXPECT_EQ(items[2], ParseItems(plain)[2]);
}

TEST(ConfigXml, TheCompanionScriptCarriesBothFilesInPlainAscii)
{
    const QByteArray config = "<qmfoldreel>\r\n  <a>\"x\" \\ \t</a>\r\n</qmfoldreel>\r\n";
    const QByteArray items =
        QStringLiteral("<qmfoldreel>\r\n  <item htitle=\"Gr\u00fc\u00dfe \U0001F600 \u2028\"/>\r\n</qmfoldreel>\r\n").toUtf8();
    const QByteArray script = CompanionFileBytes(QStringLiteral("my"), config, items);
    for (const char c : script)
        ASSERT_TRUE((c >= 0x20 && c < 0x7F) || c == '\r' || c == '\n') << int(c);
    const QByteArray head = "swfobject.addFiles(", tail = ");\r\n";
    ASSERT_TRUE(script.startsWith(head) && script.endsWith(tail));
    const QJsonObject files = QJsonDocument::fromJson(script.mid(head.size(), script.size() - head.size() - tail.size())).object();
    EXPECT_EQ(files.keys(), (QStringList{"myconfig.xml", "myitems.xml"}));
    EXPECT_EQ(files.value(QStringLiteral("myconfig.xml")).toString().toUtf8(), config);
    EXPECT_EQ(files.value(QStringLiteral("myitems.xml")).toString().toUtf8(), items);
}
