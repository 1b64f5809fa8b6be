// The preview command on the real window with scripted prompts: the build goes into
// the preview folder and the page's loopback address goes to the browser.
#include "UiFixture.h"

#include "model/MemorySeams.h"
#include "publish/Folders.h"
#include "publish/codecs/JpegCodec.h"
#include "ui/PreviewServer.h"

#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

#include <memory>

namespace {

const char *const kNoItem = "error: No item to build. Please add item to left pane and try again.";

struct Fetched
{
    int status = 0;
    QByteArray type;
    QByteArray body;
};

// GET of an address, as a browser would ask for it.
Fetched Fetch(const QString &address)
{
    QNetworkAccessManager manager;
    manager.setProxy(QNetworkProxy::NoProxy);
    std::unique_ptr<QNetworkReply> reply(manager.get(QNetworkRequest(QUrl(address))));
    if (!QTest::qWaitFor([&] { return reply->isFinished(); }, 5000))
        return {};
    return {reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(),
            reply->header(QNetworkRequest::ContentTypeHeader).toByteArray(), reply->readAll()};
}

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

class PreviewCommand : public UiTest
{
protected:
    // The window with a saved project of `items` items, each showing a small picture.
    TMainForm &WithItems(int items)
    {
        const QString picture = scratch.Work() + QStringLiteral("red.jpg");
        Bitmap red(40, 30);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x)
                red.setPixel(x, y, 200, 0, 0);
        QFile file(picture);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(EncodeJpeg(red));
        file.close();

        TAppletAgent document;
        document.SetDefaults();
        for (int i = 0; i < items; ++i) {
            TItemData item = TAppletAgent::NewItem();
            item.OriginalImagePath = picture;
            item.Level = QStringLiteral("0");
            document.InsertItem(i, item);
        }
        project = scratch.Work() + QStringLiteral("harbour.qmreel1");
        MemoryProgress progress;
        document.SaveProject(project, progress);

        TMainForm &form = MakeForm();
        form.OpenProjectFile(project);
        return form;
    }

    QString Preview() const { return scratch.DataHome() + QStringLiteral("/Brindlecove/Quillmere/1.0/Preview/"); }
    QString Temp() const { return scratch.DataHome() + QStringLiteral("/Brindlecove/Quillmere/1.0/Temp/"); }
    QString Calls() const { return prompts.calls.join(QLatin1Char('\n')); }

    QString project;
};

} // namespace

TEST_F(PreviewCommand, OnlyTheRootBuildsNothing)
{
    TMainForm &form = MakeForm();
    form.tlbtnPreview->click();
    EXPECT_EQ(prompts.calls, QStringList{QLatin1String(kNoItem)});
    EXPECT_FALSE(QFileInfo::exists(Preview())) << "the preview folder is not even made";
    EXPECT_TRUE(form.Document->WorkingFiles.isEmpty());
    EXPECT_FALSE(form.Modified);
}

TEST_F(PreviewCommand, OneItemIsBuiltIntoThePreviewFolderAndServedToTheBrowser)
{
    TMainForm &form = WithItems(1);
    const QByteArray recent = ReadAll(Temp() + QStringLiteral("recentfile.dat"));
    form.Preview1->trigger();

    ASSERT_EQ(prompts.calls.size(), 1) << Calls().toStdString();
    ASSERT_EQ(prompts.opened.size(), 1);
    const QUrl address(prompts.opened[0]);
    EXPECT_EQ(address.scheme(), QStringLiteral("http"));
    EXPECT_EQ(address.host(), QStringLiteral("127.0.0.1"));
    EXPECT_TRUE(address.path().endsWith(QStringLiteral("/preview/~preview.html"))) << address.path().toStdString();
    EXPECT_EQ(address, form.PreviewServer().AddressOf(QStringLiteral("preview"), QStringLiteral("~preview.html")));

    EXPECT_TRUE(QFile::exists(Preview() + QStringLiteral("~preview.html")));
    EXPECT_FALSE(QFile::exists(Temp() + QStringLiteral("~preview.html")));
    EXPECT_TRUE(form.Document->WorkingFiles.contains(QStringLiteral("~preview.html")));
    EXPECT_TRUE(form.Document->WorkingFiles.contains(QStringLiteral("slideshow1items.xml")));

    // What the browser gets: the page and the files beside it, with their types.
    const Fetched page = Fetch(address.toString());
    EXPECT_EQ(page.status, 200);
    EXPECT_TRUE(page.type.startsWith("text/html")) << page.type.toStdString();
    EXPECT_EQ(page.body, ReadAll(Preview() + QStringLiteral("~preview.html")));
    const Fetched items = Fetch(address.resolved(QUrl(QStringLiteral("slideshow1items.xml"))).toString());
    EXPECT_EQ(items.status, 200);
    EXPECT_TRUE(items.type.contains("xml")) << items.type.toStdString();
    EXPECT_EQ(items.body, ReadAll(Preview() + QStringLiteral("slideshow1items.xml")));

    // A preview is not a save.
    EXPECT_FALSE(form.Modified);
    EXPECT_EQ(form.ProjectFileName, project);
    EXPECT_EQ(ReadAll(Temp() + QStringLiteral("recentfile.dat")), recent);
    EXPECT_TRUE(saves.empty());
}

TEST_F(PreviewCommand, ASecondPreviewShowsTheValuesEditedInBetween)
{
    TMainForm &form = WithItems(2);
    form.Preview1Click();
    ASSERT_EQ(prompts.opened.size(), 1);
    const QString config = Preview() + QStringLiteral("slideshow1config.xml");
    EXPECT_TRUE(ReadAll(config).contains("<ActiveItemWidth>667</ActiveItemWidth>"));

    Find<QSpinBox>("spnedt_ActiveItemWidth")->setValue(480);
    form.Preview1Click();
    ASSERT_EQ(prompts.opened.size(), 2) << Calls().toStdString();
    EXPECT_EQ(prompts.opened[1], prompts.opened[0]) << "the same page at the same address";
    EXPECT_TRUE(ReadAll(config).contains("<ActiveItemWidth>480</ActiveItemWidth>"));
    EXPECT_EQ(Fetch(prompts.opened[1]).body, ReadAll(Preview() + QStringLiteral("~preview.html")));
    // The edit is in the document now, and still unsaved.
    EXPECT_EQ(form.Document->AppletData.ActiveItemWidth, QStringLiteral("480"));
    EXPECT_TRUE(form.Modified);
}
