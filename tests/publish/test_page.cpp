// The web page: the whole default page byte for byte, and the values it carries.
#include "Golden.h"
#include "test_driver_fixture.h"

#include "model/Error.h"
#include "publish/ConfigXml.h"
#include "publish/Page.h"

using namespace publishtest;

namespace {

// The page of the default gallery with one item: 667 pixels wide, showing p0_t.jpg.
QByteArray DefaultPage()
{
    return Golden("publish/data/default-page.html");
}

TAppletAgent WithImages(int count)
{
    TAppletAgent document = DefaultDocument(count);
    for (int i = 0; i < count; ++i)
        document.Items[size_t(i)].ImageFile = QStringLiteral("p%1_t.jpg").arg(i);
    return document;
}

} // namespace

class Page : public PublishTest
{
};

TEST_F(Page, DefaultPageIsExactOnDisk)
{
    const TAppletAgent document = WithImages(1);
    const QString path = Work() + QStringLiteral("gallery.html");
    WritePage(document, path, FilePrefix(document.AppletData), QStringLiteral("p0_t.jpg"));
    EXPECT_EQ(CrLfLines(DefaultPage()).size(), 39);
    EXPECT_EQ(ReadBytes(path), DefaultPage());
}

TEST_F(Page, FourItemsAndNoItems)
{
    // Only the movie's width and the first picture change.
    const TAppletAgent four = WithImages(4);
    EXPECT_EQ(CrLf(PageLines(four, QStringLiteral("slideshow1"), QStringLiteral("p0_t.jpg"))), DefaultPage().replace("\"667\"", "\"892\""));

    const TAppletAgent none = WithImages(0);
    const QString path = Work() + QStringLiteral("empty.html");
    WritePage(none, path, QStringLiteral("slideshow1"), QString());
    EXPECT_EQ(ReadBytes(path), DefaultPage().replace("\"667\"", "\"0\"").replace("src=\"p0_t.jpg\"", "src=\"\""));
}

TEST(PageValues, ColoursPrefixAndLinkedFiles)
{
    TAppletAgent document = WithImages(1);
    document.AppletData.ScriptName = QStringLiteral("my gallery");
    document.AppletData.PreviewBgColor = QStringLiteral("FF0000");
    document.AppletData.FlashBgColor = QStringLiteral("00FF00");
    document.LinkedFiles[2].FileType = QStringLiteral("JS");
    document.LinkedFiles.push_back({QStringLiteral("extra.js"), QStringLiteral("js"), 0});
    document.LinkedFiles.insert(document.LinkedFiles.begin(), {QStringLiteral("look.css"), QStringLiteral("Css"), 0});
    const QStringList lines = PageLines(document, FilePrefix(document.AppletData), QStringLiteral("p0_t.jpg"));
    ASSERT_EQ(lines.size(), 41);
    // All style sheets first, then all scripts, each in list order.
    EXPECT_EQ(lines[10], QStringLiteral("<LINK href=\"./look.css\" type=\"text/css\" rel=\"stylesheet\" />"));
    EXPECT_EQ(lines[11], QStringLiteral("<SCRIPT language=\"javascript\" type=\"text/javascript\" src=\"./swfobject.js\"></SCRIPT>"));
    EXPECT_EQ(lines[12], QStringLiteral("<SCRIPT language=\"javascript\" type=\"text/javascript\" src=\"./extra.js\"></SCRIPT>"));
    EXPECT_EQ(lines[17], QStringLiteral("<body bgcolor=\"#FF0000\">"));
    EXPECT_EQ(lines[30], QStringLiteral("\t\t\t\tvar flashvars = { width: \"667\", height: \"375\", xmlPath: \"mygalleryconfig.xml\" };"));
    EXPECT_EQ(lines[31], QStringLiteral("\t\t\t\tvar params = { bgcolor: \"00FF00\" };"));
    EXPECT_EQ(lines[32], QStringLiteral("\t\t\t\tvar attributes = { id: \"mygallery\" };"));
    EXPECT_TRUE(lines[28].contains(QStringLiteral("<div id=\"mygallery_img_alt\">")));
    EXPECT_TRUE(lines[33].contains(QStringLiteral("\"mygallery_img_alt\"")));
}

TEST(PageValues, HandEditedValuesCannotInjectMarkup)
{
    TAppletAgent document = WithImages(1);
    document.AppletData.ItemHeight = QStringLiteral("375\"><script>x()</script>");
    document.AppletData.PreviewBgColor = QStringLiteral("0\"><b");
    document.AppletData.FlashBgColor = QStringLiteral("\"});alert(1);//");
    document.AppletData.ImageLeadingPathEnabled = QStringLiteral("1");
    const QStringList lines = PageLines(document, QStringLiteral("a&b'c"), QStringLiteral("img/a&b\".jpg"));
    EXPECT_EQ(lines[15], QStringLiteral("<body bgcolor=\"#0&quot;&gt;&lt;b\">"));
    EXPECT_EQ(lines[26], QStringLiteral("\t\t<div id=\"a&amp;b'c_img_alt\"><img src=\"img/a&amp;b&quot;.jpg\" width=\"667\" "
                                        "height=\"375&quot;&gt;&lt;script&gt;x()&lt;/script&gt;\" border=\"0\" /></div>"));
    EXPECT_EQ(lines[28], QStringLiteral("\t\t\t\tvar flashvars = { width: \"667\", height: \"375\\\"\\u003e\\u003cscript\\u003ex()"
                                        "\\u003c/script\\u003e\", xmlPath: \"a\\u0026b\\'cconfig.xml\" };"));
    EXPECT_EQ(lines[29], QStringLiteral("\t\t\t\tvar params = { bgcolor: \"\\\"});alert(1);//\" };"));
    for (const QString &line : lines)
        EXPECT_FALSE(line.contains(QStringLiteral("<script>"))) << line.toStdString();
}

TEST(PageValues, WidthNeedsNumbers)
{
    TAppletAgent document = WithImages(3);
    document.AppletData.InactiveItemWidth = QStringLiteral("wide");
    try {
        PageLines(document, QStringLiteral("s"), QString());
        FAIL() << "a width that is not a number was accepted";
    } catch (const QmError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("'wide' is not a valid integer value"));
    }
    document.AppletData.InactiveItemWidth = QStringLiteral("9999");
    document.AppletData.ActiveItemWidth = QStringLiteral("9999");
    EXPECT_EQ(MovieWidth(document.AppletData, 3), 29997);
    EXPECT_EQ(MovieWidth(document.AppletData, 0), 0);
}
