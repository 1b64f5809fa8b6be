// The help window, the About box, and the help and sample pages copied beside the tests.
#include "model/Product.h"
#include "ui/AboutBox.h"
#include "ui/HelpWindow.h"
#include "ui/Prompts.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>

#include <gtest/gtest.h>

namespace {

QString ProgramFolder()
{
    return QCoreApplication::applicationDirPath() + QLatin1Char('/');
}

QString PageShown(const TfrmHelp &help)
{
    return QFileInfo(help.WebBrowser1->source().toLocalFile()).fileName();
}

} // namespace

TEST(HelpWindow, HelpButtonSwitchesAVisibleWindowInPlaceAndCloseOnlyHides)
{
    TScriptedPrompts prompts;
    TfrmHelp help(prompts);
    help.ShowPage(HelpPageAddress(ProgramFolder(), 1));
    ASSERT_TRUE(help.isVisible());
    EXPECT_EQ(help.pos(), QPoint(265, 180));
    help.move(300, 210);
    help.ShowPage(HelpPageAddress(ProgramFolder(), 7));
    EXPECT_EQ(PageShown(help), QStringLiteral("customizing_fl_item_general_link.htm"));
    EXPECT_EQ(help.pos(), QPoint(300, 210));

    help.close();
    EXPECT_TRUE(help.isHidden());
    help.ShowPage(HelpPageAddress(ProgramFolder(), 3));
    EXPECT_TRUE(help.isVisible());
    EXPECT_EQ(help.pos(), QPoint(300, 210));
    EXPECT_EQ(PageShown(help), QStringLiteral("customizing_fl_script_script_images.htm"));
}

TEST(HelpWindow, PageTableAndAddresses)
{
    for (int tag : {0, -1, 11, 99})
        EXPECT_EQ(HelpPageTable(tag), QStringLiteral("getting_started.htm")) << tag;
    EXPECT_EQ(HelpPageTable(10), QStringLiteral("customizing_fl_script_path_path.htm"));
    EXPECT_EQ(HelpPageAddress(QStringLiteral("/opt/my apps/qm"), 7),
              QStringLiteral("file:///opt/my apps/qm/help/customizing_fl_item_general_link.htm"));
    EXPECT_EQ(HelpPageAddress(QStringLiteral("C:\\My Apps\\qm\\"), 0), QStringLiteral("file:///C|/My Apps/qm/help/getting_started.htm"));
    // Both forms load as the local file they name.
    EXPECT_EQ(HelpAddressToUrl(QStringLiteral("file:///opt/my apps/a#1.htm")).toLocalFile(), QStringLiteral("/opt/my apps/a#1.htm"));
    EXPECT_EQ(HelpAddressToUrl(QStringLiteral("file:///C|/My Apps/a.htm")), QUrl::fromLocalFile(QStringLiteral("C:/My Apps/a.htm")));
}

TEST(HelpWindow, HelpLinksStayWebLinksGoToTheBrowserAndAMissingPageSaysSo)
{
    TScriptedPrompts prompts;
    TfrmHelp help(prompts);
    help.ShowPage(HelpPageAddress(ProgramFolder(), 0));
    Q_EMIT help.WebBrowser1->anchorClicked(QUrl(QStringLiteral("index.html#files")));
    EXPECT_EQ(PageShown(help), QStringLiteral("index.html"));
    Q_EMIT help.WebBrowser1->anchorClicked(QUrl(QStringLiteral("https://example.com/a")));
    Q_EMIT help.WebBrowser1->anchorClicked(QUrl(QStringLiteral("javascript:alert(1)")));
    Q_EMIT help.WebBrowser1->anchorClicked(QUrl(QStringLiteral("../samples/index.html")));
    EXPECT_EQ(prompts.opened, QStringList({QStringLiteral("https://example.com/a"),
                                           QDir::cleanPath(ProgramFolder() + QStringLiteral("samples/index.html"))}));
    EXPECT_EQ(PageShown(help), QStringLiteral("index.html"));

    help.ShowPage(PathToFileUrl(ProgramFolder() + QStringLiteral("help/no such page.htm")));
    EXPECT_TRUE(help.WebBrowser1->toPlainText().contains(QStringLiteral("\"no such page.htm\" could not be found")));
}

TEST(HelpAboutBox, TextsSizeAndOkResult)
{
    TScriptedPrompts prompts;
    TformAbout about(prompts);
    const QStringList texts = {about.windowTitle(),  about.lblProductName->text(), about.lblProductVersion->text(),
                               about.Label2->text(), about.Label8->text(),         about.Label3->text(),
                               about.Label10->text()};
    EXPECT_EQ(texts, QStringList({QStringLiteral("Quillmere"), QStringLiteral("Quillmere"), QStringLiteral("Version 1.0"),
                                  QStringLiteral("Web Site"), QLatin1String(kProductAddress), QStringLiteral("Tech Support"),
                                  QLatin1String(kSupportAddress)}));
    EXPECT_EQ(about.size(), QSize(313, 153));
    EXPECT_EQ(about.minimumSize(), about.maximumSize());
    about.show();
    about.Button1->click();
    EXPECT_EQ(about.result(), QDialog::Accepted);
    EXPECT_FALSE(about.isVisible());
}

TEST(HelpAboutBox, LinksRedUnderTheMouseBlueOverTheBackgroundAndClicksOpenThem)
{
    TScriptedPrompts prompts;
    TformAbout about(prompts);
    about.show();
    const auto colour = [](QLabel *label) { return label->palette().color(QPalette::WindowText); };
    // Mouse moves as the window system delivers them, to the widget under the mouse.
    const auto moveOver = [](QWidget *to) {
        QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), to->mapToGlobal(QPointF(3, 3)), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(to, &move);
    };
    EXPECT_EQ(colour(about.Label8), QColor(Qt::blue));
    moveOver(about.Label8);
    moveOver(about.Label10);
    EXPECT_EQ(colour(about.Label8), QColor(Qt::red));
    EXPECT_EQ(colour(about.Label10), QColor(Qt::red));
    moveOver(&about);
    EXPECT_EQ(colour(about.Label8), QColor(Qt::blue));
    EXPECT_EQ(colour(about.Label10), QColor(Qt::blue));

    QTest::mouseClick(about.Label8, Qt::LeftButton);
    QTest::mouseClick(about.Label10, Qt::LeftButton);
    QTest::mouseClick(about.Label2, Qt::LeftButton);
    EXPECT_EQ(prompts.opened, QStringList({QLatin1String(kProductAddress), QLatin1String(kSupportAddress)}));
}

// Every help page of the table is there, and every link of every help page and of the
// samples index leads to a file that exists and, with "#name", to an anchor in it.
TEST(HelpPages, EveryTablePageExistsAndEveryLinkResolves)
{
    const QDir help(ProgramFolder() + QStringLiteral("help"));
    for (int tag = 0; tag <= 10; ++tag)
        EXPECT_TRUE(help.exists(HelpPageTable(tag))) << HelpPageTable(tag).toStdString();

    QStringList pages;
    for (const QString &name : help.entryList({QStringLiteral("*.htm"), QStringLiteral("*.html")}))
        pages << help.filePath(name);
    EXPECT_EQ(pages.size(), 12);
    if (QDir(ProgramFolder() + QStringLiteral("samples/sample-fill")).exists())
        pages << ProgramFolder() + QStringLiteral("samples/index.html");

    const QRegularExpression link(QStringLiteral("(?:href|src)=\"([^\"]*)\""));
    const auto read = [](const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };
    for (const QString &page : pages) {
        const QString text = read(page);
        ASSERT_FALSE(text.isEmpty()) << page.toStdString();
        for (const QRegularExpressionMatch &m : link.globalMatch(text)) {
            const QUrl url(m.captured(1));
            if (!url.scheme().isEmpty())
                continue; // web and mail addresses
            const QString target = url.path().isEmpty() ? page : QFileInfo(page).dir().filePath(url.path());
            ASSERT_TRUE(QFileInfo(target).isFile()) << page.toStdString() << " -> " << m.captured(1).toStdString();
            if (url.hasFragment()) {
                EXPECT_TRUE(read(target).contains(QStringLiteral("name=\"%1\"").arg(url.fragment()))) << m.captured(1).toStdString();
            }
        }
    }
}
