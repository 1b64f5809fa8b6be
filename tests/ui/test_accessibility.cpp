// The editor for screen reader and keyboard users: every control a user can reach
// has the name a screen reader reads, Tab walks each sheet in reading order, and the
// keys reach what the mouse reaches (swatches, help and browse buttons, the tree's
// pop-up, the sheets, closing the help window and the About box).
#include "Golden.h"
#include "UiFixture.h"

#include "model/Catalogue.h"
#include "ui/AboutBox.h"
#include "ui/ColorPanel.h"
#include "ui/ControlTables.h"
#include "ui/HelpWindow.h"
#include "ui/PicturePreview.h"

#include <QAccessible>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <QToolBar>
#include <QToolButton>

#include <set>

inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

// What a screen reader announces as the widget's name.
QString AccessibleName(QWidget *w)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(w);
    return face ? face->text(QAccessible::Name) : QString();
}

// The text of the label tied to the widget, which a screen reader reads with it
// (for a combo box on this platform the name is its value, the label says what it is).
QString LabelOf(QWidget *w)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(w);
    const auto labels = face ? face->relations(QAccessible::Label) : decltype(face->relations())();
    return labels.isEmpty() ? QString() : labels.first().first->text(QAccessible::Name);
}

bool TakesTab(const QWidget *w)
{
    return (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && !w->focusProxy();
}

class Accessibility : public UiTest
{
protected:
    // The window shown and active, with one item below the root, the root selected.
    TMainForm &Shown()
    {
        TMainForm &form = MakeForm();
        form.show();
        form.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
        Find<QAction>("Insert2")->trigger();
        Select(0);
        return form;
    }
    void Select(int absIndex) { form->Tree()->setCurrentItem(form->Tree()->NodeAt(absIndex)); }
    void ShowSheet(const char *sheet)
    {
        Select(qstrcmp(sheet, "tbshtItemGeneral") == 0 ? 1 : 0);
        auto *tabs = Find<QTabWidget>("pgcntrl1");
        tabs->setCurrentWidget(Find(sheet));
    }
    static void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget *focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        QTest::keyClick(focus, Qt::Key(key), modifiers);
    }
    QString Focused() const
    {
        const QWidget *focus = QApplication::focusWidget();
        return focus ? focus->objectName() : QString();
    }
};

const char *const kSheets[] = {"tbshtScript", "tbshtItemGeneral", "tbshtPath"};

TEST_F(Accessibility, EveryControlTabReachesHasAName)
{
    TMainForm &form = Shown();
    std::set<QString> seen;
    for (const char *sheet : kSheets) {
        ShowSheet(sheet);
        QStringList unnamed;
        for (QWidget *w : form.findChildren<QWidget *>()) {
            if (!w->isVisible() || !TakesTab(w))
                continue;
            seen.insert(w->objectName());
            if (AccessibleName(w).trimmed().isEmpty() && LabelOf(w).isEmpty())
                unnamed << QStringLiteral("%1 (%2)").arg(w->objectName(), QLatin1String(w->metaObject()->className()));
        }
        EXPECT_TRUE(unnamed.isEmpty()) << sheet << ": " << unnamed.join(QStringLiteral(", ")).toStdString();
    }
    // Tool bar, tree, tabs and the three sheets: the walk saw the whole window.
    EXPECT_GE(seen.size(), 10u + 1 + 1 + kScriptSheetOrder.size() + kItemSheetOrder.size() + kPathSheetOrder.size());
}

// The controls Tab reaches among `widgets`, each with the name a screen reader reads and
// the label tied to it, one per line: "part<TAB>control<TAB>name<TAB>label".
QByteArray NamesOf(const char *part, const QList<QWidget *> &widgets)
{
    QStringList lines;
    for (QWidget *w : widgets)
        if (w->isVisible() && TakesTab(w))
            lines << QStringList{QLatin1String(part), w->objectName(), AccessibleName(w), LabelOf(w)}.join(QLatin1Char('\t'));
    lines.sort();
    return lines.join(QLatin1Char('\n')).toUtf8() + '\n';
}

TEST_F(Accessibility, ControlsAreNamedByWhatTheyShowOrDo)
{
    TMainForm &form = Shown();
    // The window's own controls once, then those of each sheet: what they show or do, a
    // field alone in its group by the group's caption, a field with a label by that label;
    // last, the tool bar and the check-headed groups, which are named though Tab skips them.
    QList<QWidget *> outside;
    for (QWidget *w : form.findChildren<QWidget *>())
        if (!form.pgcntrl1->isAncestorOf(w) || w == form.pgcntrl1->tabBar())
            outside << w;
    QByteArray names = NamesOf("window", outside);
    for (const char *sheet : kSheets) {
        ShowSheet(sheet);
        names += NamesOf(sheet, Find(sheet)->findChildren<QWidget *>());
    }
    for (const char *named : {"tlbr1", "CheckGroupBox_AutoPlay", "CheckGroupBox1"})
        names += "named\t" + QByteArray(named) + '\t' + AccessibleName(Find(named)).toUtf8() + "\t\n";
    EXPECT_EQ(QString::fromUtf8(names), QString::fromUtf8(Golden("ui/data/accessible-names.txt")));

    // A tool button is called by its hint; Undo and Redo by the step they take.
    int toolButtons = 0;
    for (QToolButton *button : Find<QToolBar>("tlbr1")->findChildren<QToolButton *>()) {
        if (button->objectName().startsWith(QLatin1String("tlbtn"))) {
            ++toolButtons;
            EXPECT_FALSE(button->toolTip().isEmpty()) << button->objectName().toStdString();
            EXPECT_EQ(AccessibleName(button), button->toolTip()) << button->objectName().toStdString();
        }
    }
    EXPECT_EQ(toolButtons, 11);
    EXPECT_EQ(AccessibleName(Find("tlbtnPreview")), QStringLiteral("preview the applet in web browser"));

    // A swatch: its label and its colour as RRGGBB, following every change of colour.
    auto *swatch = Find<TColorPanel>("pnl_pPreviewBgColor");
    EXPECT_EQ(AccessibleName(swatch), QStringLiteral("Preview BgColor: ") + form.Document->AppletData.PreviewBgColor);
    swatch->SetColor(0x336699);
    EXPECT_EQ(AccessibleName(swatch), QStringLiteral("Preview BgColor: 996633"));
    EXPECT_EQ(AccessibleName(Find("pnl_HoriTitleFontColor")).section(QLatin1Char(':'), 0, 0), QStringLiteral("Horizontal"));
    // Opening a project shows its colours, and the names follow.
    TAppletData gallery = form.Document->GetAppletData();
    gallery.FlashBgColor = QStringLiteral("ABCDEF");
    form.Document->SetAppletData(gallery);
    form.ShowAppletPane();
    EXPECT_EQ(AccessibleName(Find("pnl_pFlashBgColor")), QStringLiteral("Flash BgColor: ABCDEF"));
}

TEST_F(Accessibility, PreviewIsAPictureNamedByItsFile)
{
    Shown();
    auto *preview = Find<TPicturePreview>("imgPreview");
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(preview);
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face->role(), QAccessible::Graphic);
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    const QString path = scratch.Work() + QStringLiteral("harbour view.bmp");
    ASSERT_TRUE(picture.save(path, "BMP"));
    preview->ShowPicture(path, 0);
    EXPECT_EQ(AccessibleName(preview), QStringLiteral("harbour view.bmp"));
    // Without a picture it is called by its group, as any unlabelled control is.
    preview->Clear();
    EXPECT_EQ(AccessibleName(preview), QStringLiteral("Preview"));
}

// Tab from the sheet tabs runs through the shown sheet in reading order: every
// control of the catalogue on it, each help button after its group's fields, groups
// from top to bottom; and it leaves the sheet only at its end.
TEST_F(Accessibility, TabWalksEachSheetInReadingOrder)
{
    TMainForm &form = Shown();
    struct Sheet
    {
        const char *name;
        const char *const *order;
        size_t size;
    };
    const Sheet sheets[] = {{"tbshtScript", kScriptSheetOrder.data(), kScriptSheetOrder.size()},
                            {"tbshtItemGeneral", kItemSheetOrder.data(), kItemSheetOrder.size()},
                            {"tbshtPath", kPathSheetOrder.data(), kPathSheetOrder.size()}};
    std::set<QString> catalogued;
    for (const AppletParam &p : kAppletCatalogue)
        if (p.kind != ControlKind::None)
            catalogued.insert(QLatin1String(p.control));
    for (const ItemParam &p : kItemCatalogue)
        if (p.kind != ControlKind::None)
            catalogued.insert(QLatin1String(p.control));

    std::set<QString> reached;
    for (const Sheet &s : sheets) {
        SCOPED_TRACE(s.name);
        ShowSheet(s.name);
        QWidget *sheet = Find(s.name);
        // Every control that clicking could focus, enabled, so that Tab stops at it; the
        // preview takes the focus while it shows a picture.
        for (QWidget *w : sheet->findChildren<QWidget *>())
            w->setEnabled(true);
        form.imgPreview->show();
        form.pgcntrl1->tabBar()->setFocus(Qt::TabFocusReason);
        ASSERT_EQ(QApplication::focusWidget(), form.pgcntrl1->tabBar());

        QStringList walked;
        for (int step = 0; step < 40; ++step) {
            Press(Qt::Key_Tab);
            if (!sheet->isAncestorOf(QApplication::focusWidget()))
                break;
            walked << Focused();
        }
        // Of a set of radio buttons only the checked one is a Tab stop; the arrow keys
        // move among them.
        QStringList order;
        for (size_t i = 0; i < s.size; ++i) {
            const auto *radio = Find<QRadioButton>(s.order[i]);
            if (!radio || radio->isChecked())
                order << QLatin1String(s.order[i]);
        }
        EXPECT_EQ(walked, order);

        // The walk goes down the sheet: each part of it (a group, or the check box
        // heading one) starts below the one before, and the help button of a group
        // comes after the group's fields.
        const auto partOf = [sheet](const QWidget *w) {
            while (w->parentWidget() != sheet)
                w = w->parentWidget();
            return w;
        };
        int lastTop = -1;
        for (int i = 0; i < walked.size(); ++i) {
            const QWidget *w = Find(walked[i].toLatin1().constData());
            catalogued.erase(walked[i]);
            reached.insert(walked[i]);
            const int top = partOf(w)->y();
            EXPECT_GE(top, lastTop) << walked[i].toStdString();
            lastTop = top;
            if (w->property("Tag").isValid()) {
                for (int j = i + 1; j < walked.size(); ++j)
                    EXPECT_FALSE(w->parentWidget()->isAncestorOf(Find(walked[j].toLatin1().constData())))
                        << walked[j].toStdString() << " after " << walked[i].toStdString();
            }
        }
    }
    // The arrow keys take the choice from one radio button to the other.
    Find("rdbtn__InternalUse_RootDir_Local_Checked")->setFocus(Qt::TabFocusReason);
    Press(Qt::Key_Down);
    EXPECT_EQ(Focused(), QStringLiteral("rdbtn__InternalUse_RootDir_Local_Checked2"));
    EXPECT_TRUE(Find<QRadioButton>("rdbtn__InternalUse_RootDir_Local_Checked2")->isChecked());
    catalogued.erase(Focused());
    // Tab reaches every catalogued control; none is left to the mouse.
    EXPECT_TRUE(catalogued.empty()) << QStringList(catalogued.begin(), catalogued.end()).join(QLatin1Char(' ')).toStdString();
    for (QToolButton *b : form.findChildren<QToolButton *>()) {
        if (b->property("Tag").isValid()) {
            EXPECT_TRUE(reached.count(b->objectName())) << b->objectName().toStdString();
        }
    }
}

TEST_F(Accessibility, SwatchesAndButtonsActOnSpaceAndEnter)
{
    TMainForm &form = Shown();
    for (const int key : {int(Qt::Key_Space), int(Qt::Key_Return), int(Qt::Key_Enter)}) {
        SCOPED_TRACE(key);
        ShowSheet("tbshtScript");
        auto *swatch = Find<TColorPanel>("pnl_pFlashBgColor");
        swatch->setFocus(Qt::TabFocusReason);
        ASSERT_EQ(QApplication::focusWidget(), swatch);
        form.ClearModified();
        prompts.calls.clear();
        prompts.colours.push_back(TColor(0x0000FF));
        Press(key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        EXPECT_EQ(prompts.calls.size(), 1) << prompts.calls.join(QLatin1Char('\n')).toStdString();
        EXPECT_TRUE(prompts.calls.value(0).startsWith(QLatin1String("colour: ")));
        EXPECT_EQ(swatch->Color(), 0x0000FFu);
        EXPECT_EQ(AccessibleName(swatch), QStringLiteral("Flash BgColor: FF0000"));
        EXPECT_TRUE(form.Modified);
        swatch->SetColor(0);

        // The help button of the group opens its page in the help window.
        form.frmHelp->hide();
        Find("SpeedButton1")->setFocus(Qt::TabFocusReason);
        Press(key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        EXPECT_TRUE(form.frmHelp->isVisible());
        EXPECT_TRUE(form.frmHelp->WebBrowser1->toHtml().contains(HelpPageTable(1)) ||
                    form.frmHelp->WebBrowser1->source().toString().endsWith(HelpPageTable(1)));
        form.frmHelp->hide();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));

        // The browse button of the picture asks for one.
        ShowSheet("tbshtItemGeneral");
        Find("spdbtnOriginalImagePath")->setFocus(Qt::TabFocusReason);
        prompts.calls.clear();
        Press(key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        ASSERT_EQ(prompts.calls.size(), 1);
        EXPECT_TRUE(prompts.calls[0].startsWith(QLatin1String("pictures: "))) << prompts.calls[0].toStdString();
    }
}

TEST_F(Accessibility, MenuKeyAndShiftF10OpenTheTreePopUpAtTheSelectedNode)
{
    TMainForm &form = Shown();
    Select(1);
    struct Case
    {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    };
    for (const Case &c : {Case{Qt::Key_Menu, Qt::NoModifier}, Case{Qt::Key_F10, Qt::ShiftModifier}}) {
        SCOPED_TRACE(c.key);
        form.Tree()->setFocus(Qt::TabFocusReason);
        Press(c.key, c.modifiers);
        ASSERT_TRUE(form.PopupMenu1->isVisible());
        const QRect node = form.Tree()->visualItemRect(form.Tree()->NodeAt(1));
        const QPoint at = form.Tree()->viewport()->mapFromGlobal(form.PopupMenu1->pos());
        EXPECT_TRUE(node.adjusted(0, 0, 0, 2).contains(QPoint(node.left() + 1, at.y()))) << at.y() << " " << node.bottom();
        // The commands act on the selected item: Delete is there, Insert is not.
        EXPECT_TRUE(form.Delete1->isEnabled());
        EXPECT_FALSE(form.Insert1->isEnabled());
        form.PopupMenu1->close();
        ASSERT_FALSE(form.PopupMenu1->isVisible());
    }
    // F10 alone and Shift+Menu are other keys.
    form.Tree()->setFocus(Qt::TabFocusReason);
    Press(Qt::Key_F10);
    EXPECT_FALSE(form.PopupMenu1->isVisible());
}

TEST_F(Accessibility, CtrlTabTurnsTheVisibleSheetsWindowWide)
{
    TMainForm &form = Shown();
    auto *tabs = form.pgcntrl1;
    const auto current = [tabs] { return tabs->currentWidget()->objectName(); };
    EXPECT_EQ(Focused(), QStringLiteral("trvwDesignPanel")) << "the window opens with the keyboard in the tree";
    // From the tree, the sheets turn and the focus stays.
    form.Tree()->setFocus(Qt::TabFocusReason);
    Press(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(current(), QStringLiteral("tbshtPath"));
    Press(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(current(), QStringLiteral("tbshtScript")) << "round the end, past the hidden item sheet";
    Press(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(current(), QStringLiteral("tbshtPath"));
    Press(Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(current(), QStringLiteral("tbshtScript"));
    EXPECT_EQ(Focused(), QStringLiteral("trvwDesignPanel"));
    // From inside a sheet, the focus goes to the first control of the next one.
    Find("edt_pScriptName")->setFocus(Qt::TabFocusReason);
    Press(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(current(), QStringLiteral("tbshtPath"));
    EXPECT_EQ(Focused(), QLatin1String(kPathSheetOrder[0]));
    Press(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Focused(), QLatin1String(kScriptSheetOrder[0]));
    // An item shows one sheet only.
    Select(1);
    form.Tree()->setFocus(Qt::TabFocusReason);
    Press(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(current(), QStringLiteral("tbshtItemGeneral"));
}

TEST_F(Accessibility, EscapeClosesTheHelpWindowAndTheAboutBox)
{
    TMainForm &form = Shown();
    form.frmHelp->ShowPage(HelpPageAddress(scratch.Work(), 7));
    ASSERT_TRUE(form.frmHelp->isVisible());
    EXPECT_EQ(QAccessible::queryAccessibleInterface(form.frmHelp)->role(), QAccessible::Window);
    EXPECT_EQ(AccessibleName(form.frmHelp->WebBrowser1), QStringLiteral("Help"));
    QTest::keyClick(form.frmHelp->WebBrowser1, Qt::Key_Escape);
    EXPECT_FALSE(form.frmHelp->isVisible());
    EXPECT_TRUE(QTest::qWaitForWindowActive(&form)) << "the editor has the keyboard again";

    form.About1->trigger();
    QPointer<TformAbout> about = form.findChild<TformAbout *>();
    ASSERT_FALSE(about.isNull());
    ASSERT_TRUE(QTest::qWaitForWindowActive(about));
    QTRY_COMPARE(QApplication::focusWidget(), about->Button1);
    // The links are reached by Tab and opened by Enter.
    QTest::keyClick(about->Label8, Qt::Key_Return);
    EXPECT_EQ(prompts.opened, QStringList{about->Label8->text()});
    EXPECT_EQ(AccessibleName(about->Label10), about->Label10->text());
    QTest::keyClick(about->Button1, Qt::Key_Escape);
    QTRY_VERIFY(about.isNull());
}

} // namespace
