#include "UiFixture.h"

#include "model/Catalogue.h"
#include "platform/CheckGroupBox.h"
#include "ui/ColorPanel.h"
#include "ui/PaneCodec.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QRadioButton>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>

namespace {

QStringList VisibleTabs(const QTabWidget *tabs)
{
    QStringList shown;
    for (int i = 0; i < tabs->count(); ++i)
        if (tabs->isTabVisible(i))
            shown << tabs->widget(i)->objectName();
    return shown;
}

// Adds `count` top-level items to tree and document together, as the item commands do.
void AddItems(TMainForm &form, int count)
{
    for (int i = 0; i < count; ++i) {
        TItemData item = TAppletAgent::NewItem();
        item.Level = QStringLiteral("0");
        item.HTitle = QStringLiteral("title %1").arg(i);
        form.Tree()->AddLastChild(0, QStringLiteral("Image"));
        form.Document->InsertItem(form.Tree()->NodeCount() - 2, item);
    }
}

} // namespace

class MainForm : public UiTest
{
};

TEST_F(MainForm, StartsWithTheSelectedRootAndTheGalleryTabs)
{
    TMainForm &form = MakeForm();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Quillmere"));
    EXPECT_EQ(form.Tree()->NodeCount(), 1);
    EXPECT_EQ(form.Tree()->Caption(0), QStringLiteral("Quillmere"));
    EXPECT_EQ(form.Tree()->SelectedIndex(), 0);

    const auto *tabs = Find<QTabWidget>("pgcntrl1");
    EXPECT_EQ(VisibleTabs(tabs), (QStringList{QStringLiteral("tbshtScript"), QStringLiteral("tbshtPath")}));
    EXPECT_EQ(tabs->currentWidget()->objectName(), QStringLiteral("tbshtScript"));
    EXPECT_EQ(tabs->tabText(tabs->currentIndex()), QStringLiteral("Script Parameters"));

    EXPECT_FALSE(form.Modified);
    EXPECT_FALSE(Find<QAction>("Save1")->isEnabled());
    EXPECT_FALSE(Find<QToolButton>("tlbtnSave")->isEnabled());
    EXPECT_TRUE(form.ProjectFileName.isEmpty());
    EXPECT_EQ(form.CurrentItemNode, nullptr);
    EXPECT_EQ(form.PaneLayoutIndex, 0);
    EXPECT_TRUE(Find<QAction>("ToolBar1")->isChecked());
    EXPECT_TRUE(Find<QAction>("StatusBar2")->isChecked());
    EXPECT_TRUE(prompts.calls.isEmpty()) << prompts.calls.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(form.Document->Items.empty());
}

TEST_F(MainForm, EveryCataloguedControlExistsWithTheClassOfItsKind)
{
    MakeForm();
    auto expectedClass = [](ControlKind kind) -> const char * {
        switch (kind) {
        case ControlKind::Edit:
            return "QLineEdit";
        case ControlKind::SpinEdit:
            return "QSpinBox";
        case ControlKind::CheckBox:
            return "QCheckBox";
        case ControlKind::RadioButton:
            return "QRadioButton";
        case ControlKind::ColorPanel:
            return "TColorPanel";
        case ControlKind::ComboIndex:
        case ControlKind::ComboText:
            return "QComboBox";
        case ControlKind::Point:
            return "TPicturePreview";
        case ControlKind::None:
            break;
        }
        return "";
    };
    for (const AppletParam &p : kAppletCatalogue) {
        if (p.kind == ControlKind::None)
            continue;
        const QWidget *w = Find(p.control);
        ASSERT_NE(w, nullptr) << p.control;
        EXPECT_STREQ(w->metaObject()->className(), expectedClass(p.kind)) << p.control;
        if (p.kind == ControlKind::SpinEdit) {
            EXPECT_EQ(static_cast<const QSpinBox *>(w)->minimum(), p.minimum) << p.control;
            EXPECT_EQ(static_cast<const QSpinBox *>(w)->maximum(), p.maximum) << p.control;
        }
    }
    for (const ItemParam &p : kItemCatalogue) {
        if (p.kind == ControlKind::None)
            continue;
        const QWidget *w = Find(p.control);
        ASSERT_NE(w, nullptr) << p.control;
        EXPECT_STREQ(w->metaObject()->className(), expectedClass(p.kind)) << p.control;
    }
    for (const char *name : {"tlbr1",
                             "btnBatchImportImgs",
                             "tlbtnNew",
                             "tlbtnOpen",
                             "tlbtnInsert",
                             "tlbtnDelete",
                             "tlbtnMoveUp",
                             "tlbtnMoveDown",
                             "tlbtnPreview",
                             "tlbtnHelp",
                             "pnlTreeView",
                             "trvwDesignPanel",
                             "Splitter1",
                             "tbshtItemGeneral",
                             "grpbx_Script_Menu",
                             "GroupBox4",
                             "GroupBox3",
                             "CheckGroupBox_AutoPlay",
                             "GroupBox6",
                             "GroupBox12",
                             "GroupBox7",
                             "GroupBox10",
                             "GroupBox1",
                             "GroupBox2",
                             "GroupBox5",
                             "CheckGroupBox1",
                             "imgPreview",
                             "spdbtnOriginalImagePath",
                             "spdbtnItURL",
                             "rdbtn__InternalUse_RootDir_Local_Checked2",
                             "StatusBar1",
                             "stctxtHint",
                             "prgrsbrMainFormBottom"})
        EXPECT_NE(Find(name), nullptr) << name;
    QStringList tags;
    for (const char *name : {"SpeedButton1", "SpeedButton4", "SpeedButton2", "SpeedButton6", "SpeedButton3", "SpeedButton13",
                             "SpeedButton24", "SpeedButton19", "SpeedButton8", "SpeedButton28"}) {
        const QWidget *b = Find(name);
        ASSERT_NE(b, nullptr) << name;
        tags << b->property("Tag").toString();
    }
    EXPECT_EQ(tags.join(QLatin1Char(' ')), QStringLiteral("1 2 3 4 5 6 7 8 9 10"));
    EXPECT_EQ(Find<QAction>("Save1")->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
    EXPECT_EQ(Find<QAction>("Preview1")->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));
    EXPECT_EQ(Find<QToolButton>("tlbtnPreview")->toolTip(), QStringLiteral("preview the applet in web browser"));
    EXPECT_EQ(Find<QComboBox>("cmbx_ITarget")->count(), int(kTargetEntries.size()));
}

TEST_F(MainForm, NewProjectGalleryPaneReadsBackTheDefaults)
{
    TMainForm &form = MakeForm();
    form.ReadAppletPane();
    TAppletData expected;
    for (const AppletParam &p : kAppletCatalogue)
        expected.*p.member = QLatin1String(p.defaultValue);
    expected.InactiveItemAlpha.clear();
    EXPECT_EQ(form.Document->AppletData, expected);
}

TEST_F(MainForm, GalleryPaneStopsAtAValueThatIsNoNumber)
{
    TMainForm &form = MakeForm();
    TAppletData data = form.Document->AppletData;
    data.ScriptName = QStringLiteral("  autumn  ");
    data.ActiveItemWidth = QStringLiteral("wide");
    data.InactiveItemWidth = QStringLiteral("80");
    form.Document->SetAppletData(data);
    EXPECT_THROW(form.ShowAppletPane(), QmError);
    EXPECT_EQ(Find<QLineEdit>("edt_pScriptName")->text(), QStringLiteral("autumn"));
    EXPECT_EQ(Find<QSpinBox>("spnedt_InactiveItemWidth")->value(), 75);

    data.ActiveItemWidth = QStringLiteral("0");
    data.AutoPlay = QStringLiteral("0");
    data.ImageLeadingPathEnabled = QStringLiteral("1");
    form.Document->SetAppletData(data);
    form.ShowAppletPane();
    form.ReadAppletPane();
    EXPECT_EQ(form.Document->AppletData.ActiveItemWidth, QStringLiteral("1"));
    EXPECT_EQ(form.Document->AppletData, NormaliseAppletData(data));
    // The check group boxes follow the shown flags.
    EXPECT_FALSE(Find("spnedt_SwitchImageDelay")->isEnabled());
    EXPECT_TRUE(Find("edt__pImageLeadingPath")->isEnabled());
}

TEST_F(MainForm, ItemPaneMovesFiveValuesAndEmptiesTheRest)
{
    TMainForm &form = MakeForm();
    AddItems(form, 2);
    TItemData item = form.Document->GetItem(1);
    item.ImageFile = QStringLiteral("slideshow1_2.jpg");
    item.OriginalImagePath = QStringLiteral(" /pictures/lake.jpg ");
    item.Link = QStringLiteral("http://example.com/");
    item.Target = QStringLiteral("_blank");
    item.VTitle = QStringLiteral("Lake");
    form.Document->SetItem(item, 1);
    form.ShowItemPane(1);
    EXPECT_EQ(Find<QLineEdit>("edtOriginalImagePath")->text(), QStringLiteral("/pictures/lake.jpg"));
    EXPECT_EQ(Find<QComboBox>("cmbx_ITarget")->currentText(), QStringLiteral("_blank"));

    Find<QLineEdit>("edt_IToolTip")->setText(QStringLiteral("  evening  "));
    form.ReadItemPane(0);
    const TItemData read = form.Document->GetItem(0);
    EXPECT_EQ(read.OriginalImagePath, QStringLiteral("/pictures/lake.jpg"));
    EXPECT_EQ(read.Link, QStringLiteral("http://example.com/"));
    EXPECT_EQ(read.Target, QStringLiteral("_blank"));
    EXPECT_EQ(read.HTitle, QStringLiteral("evening"));
    EXPECT_EQ(read.VTitle, QStringLiteral("Lake"));
    EXPECT_TRUE(read.ImageFile.isEmpty());
    EXPECT_TRUE(read.Level.isEmpty());
}

TEST_F(MainForm, TabsChangeOnlyBetweenRootAndItems)
{
    TMainForm &form = MakeForm();
    AddItems(form, 3);
    auto *tabs = Find<QTabWidget>("pgcntrl1");
    QTreeWidgetItem *root = form.Tree()->Root();

    // The user picks "Path" on the root, then an item: the item tab alone.
    tabs->setCurrentWidget(form.tbshtPath);
    form.Tree()->setCurrentItem(root->child(0));
    EXPECT_EQ(VisibleTabs(tabs), QStringList{QStringLiteral("tbshtItemGeneral")});
    EXPECT_EQ(tabs->currentWidget(), form.tbshtItemGeneral);
    EXPECT_EQ(form.PaneLayoutIndex, 1);

    // Item to item leaves the layout alone.
    form.Tree()->setCurrentItem(root->child(2));
    EXPECT_EQ(form.PaneLayoutIndex, 1);
    EXPECT_EQ(VisibleTabs(tabs), QStringList{QStringLiteral("tbshtItemGeneral")});

    // Back on the root: the gallery tabs with "Script Parameters" active.
    form.Tree()->setCurrentItem(root);
    EXPECT_EQ(VisibleTabs(tabs), (QStringList{QStringLiteral("tbshtScript"), QStringLiteral("tbshtPath")}));
    EXPECT_EQ(tabs->currentWidget(), form.tbshtScript);

    // Laid out for the root already: the user's tab stays.
    tabs->setCurrentWidget(form.tbshtPath);
    form.UpdatePaneLayout();
    EXPECT_EQ(tabs->currentWidget(), form.tbshtPath);

    // -2009 forces a fresh layout.
    form.PaneLayoutIndex = -2009;
    form.UpdatePaneLayout();
    EXPECT_EQ(tabs->currentWidget(), form.tbshtScript);

    // While loading, selection changes are not followed.
    form.Loading = true;
    form.Tree()->setCurrentItem(root->child(1));
    EXPECT_EQ(form.PaneLayoutIndex, 0);
    form.Loading = false;
}

TEST_F(MainForm, ItemCommandsFollowTheSelection)
{
    TMainForm &form = MakeForm();
    AddItems(form, 3);
    QTreeWidgetItem *root = form.Tree()->Root();
    form.UpdateItemCommands();
    EXPECT_TRUE(Find<QAction>("Insert1")->isEnabled());
    EXPECT_TRUE(Find<QAction>("Insert2")->isEnabled());
    EXPECT_TRUE(Find<QToolButton>("tlbtnInsert")->isEnabled());
    EXPECT_FALSE(Find<QToolButton>("tlbtnDelete")->isEnabled());
    EXPECT_FALSE(Find<QAction>("MoveUp2")->isEnabled());
    EXPECT_TRUE(Find("btnBatchImportImgs")->isEnabled());

    form.Tree()->setCurrentItem(root->child(0));
    form.UpdateItemCommands();
    EXPECT_FALSE(Find<QAction>("Insert1")->isEnabled());
    EXPECT_TRUE(Find<QAction>("Delete2")->isEnabled());
    EXPECT_FALSE(Find<QToolButton>("tlbtnMoveUp")->isEnabled());
    EXPECT_TRUE(Find<QAction>("MoveDown1")->isEnabled());
    EXPECT_FALSE(Find("btnBatchImportImgs")->isEnabled());

    form.Tree()->setCurrentItem(root->child(2));
    form.UpdateItemCommands();
    EXPECT_TRUE(Find<QAction>("MoveUp1")->isEnabled());
    EXPECT_FALSE(Find<QToolButton>("tlbtnMoveDown")->isEnabled());
    EXPECT_FALSE(Find<QAction>("MoveDown2")->isEnabled());
}

TEST_F(MainForm, PaneEditsMarkTheProjectModified)
{
    TMainForm &form = MakeForm();
    Find<QSpinBox>("spnedt_ItemHeight")->setValue(300);
    EXPECT_TRUE(form.Modified);
    EXPECT_TRUE(Find<QAction>("Save1")->isEnabled());
    EXPECT_TRUE(Find<QToolButton>("tlbtnSave")->isEnabled());
    form.ClearModified();
    // The controls without the common change handler mark it too, so no change is lost.
    Find<QCheckBox>("ckbx_InactiveItemGray")->setChecked(false);
    EXPECT_TRUE(form.Modified);
    form.ClearModified();
    Find<QLineEdit>("edt__InternalUse_RootDir_Remote")->setText(QStringLiteral("http://example.com/"));
    EXPECT_TRUE(form.Modified);
}

TEST_F(MainForm, ViewTogglesShowAndHideTheirBars)
{
    TMainForm &form = MakeForm();
    form.show();
    auto *status = Find<QAction>("StatusBar2");
    status->trigger();
    EXPECT_FALSE(status->isChecked());
    EXPECT_TRUE(Find("StatusBar1")->isHidden());
    EXPECT_TRUE(Find("stctxtHint")->isHidden());
    EXPECT_TRUE(Find("prgrsbrMainFormBottom")->isHidden());
    EXPECT_FALSE(Find("tlbr1")->isHidden());
    status->trigger();
    EXPECT_TRUE(status->isChecked());
    EXPECT_TRUE(Find("StatusBar1")->isVisible());
    EXPECT_TRUE(Find("stctxtHint")->isVisible());
    EXPECT_TRUE(Find("prgrsbrMainFormBottom")->isVisible());

    auto *tools = Find<QAction>("ToolBar1");
    tools->trigger();
    EXPECT_FALSE(tools->isChecked());
    EXPECT_TRUE(Find("tlbr1")->isHidden());
    EXPECT_TRUE(Find("StatusBar1")->isVisible());
    tools->trigger();
    EXPECT_TRUE(tools->isChecked());
    EXPECT_TRUE(Find("tlbr1")->isVisible());
}

TEST_F(MainForm, ToolBarIsSwitchedOnlyThroughTheViewMenu)
{
    TMainForm &form = MakeForm();
    form.show();
    // A right click on the menu bar offers no switch of its own that would hide the
    // tool bar behind the back of View > Tool Bar.
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(400, 5), form.menuBar()->mapToGlobal(QPoint(400, 5)));
    QApplication::sendEvent(form.menuBar(), &click);
    QWidget *popup = QApplication::activePopupWidget();
    EXPECT_EQ(popup, nullptr);
    if (popup)
        popup->close();
    EXPECT_FALSE(Find("tlbr1")->isHidden());
    EXPECT_TRUE(Find<QAction>("ToolBar1")->isChecked());
}

TEST_F(MainForm, LayoutKeepsTheTreeWidthAndStretchesTheGroups)
{
    TMainForm &form = MakeForm();
    form.show();
    const auto *tree = Find("pnlTreeView");
    EXPECT_EQ(tree->width(), 408);
    EXPECT_EQ(Find("tlbr1")->height(), 26);
    EXPECT_EQ(Find("StatusBar1")->height(), 24);
    EXPECT_EQ(form.centralWidget()->height(), 617 - 26 - 24);

    // Left 8, width 519; top and height of each gallery group.
    const std::vector<std::tuple<const char *, int, int>> groups = {{"grpbx_Script_Menu", 11, 70},
                                                                    {"GroupBox4", 91, 126},
                                                                    {"GroupBox3", 231, 112},
                                                                    {"CheckGroupBox_AutoPlay", 355, 57},
                                                                    {"GroupBox6", 427, 104}};
    for (const auto &[name, top, height] : groups)
        EXPECT_EQ(Find(name)->geometry(), QRect(8, top, 519, height)) << name;

    const auto *general = Find("grpbx_Script_Menu");
    form.resize(form.width() + 200, form.height() + 100);
    EXPECT_EQ(tree->width(), 408);
    EXPECT_EQ(general->width(), 519 + 200);
    EXPECT_EQ(general->height(), 70);

    // The heading check box sits on the group's top edge.
    const auto *autoplay = Find("CheckGroupBox_AutoPlay");
    EXPECT_EQ(Find("ckbx_AutoPlay")->pos(), autoplay->pos() + QPoint(8, -3));
    const auto *leading = Find("CheckGroupBox1");
    form.pgcntrl1->setCurrentWidget(form.tbshtPath);
    EXPECT_EQ(Find("ckbx__pImageLeadingPathEnabled")->pos(), leading->pos() + QPoint(8, -3));

    // The item sheet: the preview group takes the height the window gained.
    form.resize(form.width() - 200, form.height() - 100);
    AddItems(form, 1);
    form.Tree()->setCurrentItem(form.Tree()->NodeAt(1));
    QApplication::processEvents();
    const std::vector<std::tuple<const char *, int, int>> items = {
        {"GroupBox12", 16, 81}, {"GroupBox7", 103, 90}, {"GroupBox10", 201, 61}, {"GroupBox1", 273, 61}};
    for (const auto &[name, top, height] : items)
        EXPECT_EQ(Find(name)->geometry(), QRect(8, top, 518, height)) << name;
    const QRect preview = Find("GroupBox2")->geometry();
    EXPECT_EQ(preview.topLeft(), QPoint(8, 344));
    EXPECT_EQ(preview.width(), 518);
    EXPECT_GE(preview.height(), 185);
    form.resize(form.width(), form.height() + 100);
    EXPECT_EQ(Find("GroupBox2")->height(), preview.height() + 100);
}

TEST_F(MainForm, StatusAreaHoldsTheHintLineAndTheProgressBarAfterIt)
{
    TMainForm &form = MakeForm();
    form.show();
    const QWidget *status = Find("StatusBar1");
    const QWidget *hint = Find("stctxtHint");
    const QWidget *bar = Find("prgrsbrMainFormBottom");
    EXPECT_EQ(hint->mapTo(status, QPoint()).x(), 2);
    EXPECT_EQ(hint->size(), QSize(338, 14));
    for (int wider : {0, 200}) {
        form.resize(956 + wider, form.height());
        EXPECT_EQ(bar->mapTo(status, QPoint()).x(), 343) << wider;
        EXPECT_EQ(bar->mapTo(status, QPoint()).x() + bar->width(), status->width()) << wider;
        EXPECT_EQ(bar->height(), 20);
    }
}
