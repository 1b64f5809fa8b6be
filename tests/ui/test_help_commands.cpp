// The help buttons and the Help menu of the main window: the help window beside it,
// the pages and addresses handed to the desktop, and the About box.
#include "UiFixture.h"

#include "model/Product.h"
#include "publish/Folders.h"
#include "ui/AboutBox.h"
#include "ui/HelpWindow.h"
#include "ui/PreviewServer.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>
#include <QToolButton>

namespace {

QString PageShown(const TfrmHelp *help)
{
    return QFileInfo(help->WebBrowser1->source().toLocalFile()).fileName();
}

} // namespace

class HelpCommands : public UiTest
{
};

TEST_F(HelpCommands, HelpWindowStartsHiddenAndEachHelpButtonShowsItsPage)
{
    TMainForm &form = MakeForm();
    TfrmHelp *help = form.frmHelp;
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help, Find<TfrmHelp>("frmHelp"));
    EXPECT_TRUE(help->isHidden());
    EXPECT_TRUE(help->isWindow());

    const std::pair<const char *, const char *> buttons[] = {
        {"SpeedButton1", "customizing_fl_script_script_general.htm"},
        {"SpeedButton4", "customizing_fl_script_script_items.htm"},
        {"SpeedButton2", "customizing_fl_script_script_images.htm"},
        {"SpeedButton6", "customizing_fl_script_script_autoplay.htm"},
        {"SpeedButton3", "customizing_fl_script_script_image_title_font_size_color.htm"},
        {"SpeedButton13", "customizing_fl_item_general_original_image_path.htm"},
        {"SpeedButton24", "customizing_fl_item_general_link.htm"},
        {"SpeedButton19", "customizing_fl_item_general_image_horizontal_title.htm"},
        {"SpeedButton8", "customizing_fl_item_general_image_vertical_title.htm"},
        {"SpeedButton28", "customizing_fl_script_path_path.htm"},
    };
    for (const auto &[button, page] : buttons) {
        Find<QToolButton>(button)->click();
        EXPECT_EQ(PageShown(help), QLatin1String(page)) << button;
        EXPECT_TRUE(help->isVisible()) << button;
    }
    EXPECT_FALSE(form.Modified);
    EXPECT_TRUE(prompts.calls.isEmpty()) << prompts.calls.join(QLatin1Char('\n')).toStdString();
}

TEST_F(HelpCommands, HelpButtonSwitchesAVisibleWindowInPlaceAndClosingOnlyHidesIt)
{
    TMainForm &form = MakeForm();
    form.show();
    TfrmHelp *help = form.frmHelp;
    Find<QToolButton>("SpeedButton1")->click();
    EXPECT_EQ(help->pos(), QPoint(265, 180));
    help->move(310, 220);

    Find<QToolButton>("SpeedButton24")->click();
    EXPECT_EQ(PageShown(help), QStringLiteral("customizing_fl_item_general_link.htm"));
    EXPECT_EQ(help->pos(), QPoint(310, 220));

    help->close();
    EXPECT_TRUE(help->isHidden());
    EXPECT_EQ(form.frmHelp, help);
    EXPECT_TRUE(form.isVisible());
    Find<QToolButton>("SpeedButton28")->click();
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->pos(), QPoint(310, 220));
    EXPECT_EQ(PageShown(help), QStringLiteral("customizing_fl_script_path_path.htm"));
}

TEST_F(HelpCommands, MenuCommandsHandTheirPagesAndAddressesToTheDesktop)
{
    TMainForm &form = MakeForm();
    const std::pair<std::function<void()>, QString> commands[] = {
        {[&] { Find<QAction>("Topic1")->trigger(); }, HelpFolder() + QStringLiteral("index.html")},
        {[&] { Find<QToolButton>("tlbtnHelp")->click(); }, HelpFolder() + QStringLiteral("index.html")},
        {[&] { Find<QAction>("Homepage1")->trigger(); }, QLatin1String(kProductAddress)},
        {[&] { Find<QAction>("ContactUs1")->trigger(); }, QLatin1String(kSupportAddress)},
    };
    for (const auto &[run, opened] : commands) {
        prompts.opened.clear();
        run();
        EXPECT_EQ(prompts.opened, QStringList{opened});
    }
    // The samples are served from the loopback address, so their galleries may read their XML.
    prompts.opened.clear();
    Find<QAction>("ViewSample1")->trigger();
    const QUrl samples = form.PreviewServer().AddressOf(QStringLiteral("samples"), QStringLiteral("index.html"));
    ASSERT_FALSE(samples.isEmpty());
    EXPECT_EQ(samples.host(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(prompts.opened, QStringList{samples.toString()});
    EXPECT_TRUE(QFileInfo(HelpFolder() + QStringLiteral("index.html")).isFile());
    EXPECT_TRUE(form.frmHelp->isHidden());
    EXPECT_FALSE(form.Modified);
}

TEST_F(HelpCommands, AboutBoxIsModalShowsTheProductAndIsReleasedWhenClosed)
{
    TMainForm &form = MakeForm();
    form.show();
    Find<QAction>("About1")->trigger();
    QPointer<TformAbout> about = form.findChild<TformAbout *>();
    ASSERT_TRUE(about);
    EXPECT_TRUE(about->isVisible());
    EXPECT_EQ(about->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(about->windowTitle() + QLatin1Char(' ') + about->lblProductVersion->text(), QStringLiteral("Quillmere Version 1.0"));

    about->Button1->click();
    EXPECT_FALSE(about->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(about.isNull());
    EXPECT_FALSE(form.Modified);
}
