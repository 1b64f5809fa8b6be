// The parameter pane's own behaviour: what marks the project modified, the swatches,
// the picture and link choosers, the separator guard and the hint line.
#include "UiFixture.h"

#include "ui/ColorPanel.h"
#include "ui/ControlTables.h"
#include "ui/PicturePreview.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include "publish/codecs/Formats.h"

#include <QTest>
#include <QToolButton>

namespace {

// The filter of both picture dialogs, as the batch import's tests spell it out.
const QString kPictureFilter = PictureDialogFilter();

} // namespace

class Panes : public UiTest
{
protected:
    // Adds a top-level item to tree and document together, as the item commands do,
    // and returns its node.
    QTreeWidgetItem *AddItem(int parentIndex = 0, const QString &caption = QStringLiteral("Image"))
    {
        TItemData item = TAppletAgent::NewItem();
        form->Tree()->AddLastChild(parentIndex, caption);
        const int index = form->Tree()->NodeCount() - 1;
        form->Document->InsertItem(index - 1, item);
        return form->Tree()->NodeAt(index);
    }

    // A small picture in the test's own folder.
    QString Picture(const QString &name)
    {
        QImage image(8, 6, QImage::Format_RGB888);
        image.fill(Qt::darkCyan);
        const QString path = scratch.Path(QStringLiteral("work/") + name);
        EXPECT_TRUE(image.save(path, "BMP"));
        return path;
    }

    QString Text(const char *name) const
    {
        if (auto *combo = Find<QComboBox>(name))
            return combo->currentText();
        return Find<QLineEdit>(name)->text();
    }

    void ChooseImage(QStringList chosen)
    {
        prompts.pictures.push_back(std::move(chosen));
        Find<QToolButton>("spdbtnOriginalImagePath")->click();
    }
};

TEST_F(Panes, EveryPaneValueMarksTheProjectModified)
{
    TMainForm &form = MakeForm();
    const std::vector<std::pair<const char *, std::function<void(QWidget *)>>> edits = {
        {"edt_pScriptName", [](QWidget *w) { static_cast<QLineEdit *>(w)->setText(QStringLiteral("gallery")); }},
        {"spnedt_SlidingSpeed", [](QWidget *w) { static_cast<QSpinBox *>(w)->setValue(9); }},
        {"cmbx_ITarget", [](QWidget *w) { static_cast<QComboBox *>(w)->setEditText(QStringLiteral("_blank")); }},
        {"edt__InternalUse_RootDir_Remote", [](QWidget *w) { static_cast<QLineEdit *>(w)->setText(QStringLiteral("http://a/")); }},
        // Not among the common change handler's controls, yet a change to them would be
        // lost on closing without the question to save it.
        {"ckbx_InactiveItemGray", [](QWidget *w) { static_cast<QCheckBox *>(w)->toggle(); }},
        {"ckbx_AutoPlay", [](QWidget *w) { static_cast<QCheckBox *>(w)->toggle(); }},
        {"ckbx_HiDpiPictures", [](QWidget *w) { static_cast<QCheckBox *>(w)->toggle(); }},
        {"ckbx_WebPPictures", [](QWidget *w) { static_cast<QCheckBox *>(w)->toggle(); }},
        {"rdbtn__InternalUse_RootDir_Local_Checked2", [](QWidget *w) { static_cast<QRadioButton *>(w)->setChecked(true); }},
        {"cmbx_pThumbProcessType", [](QWidget *w) { static_cast<QComboBox *>(w)->setCurrentIndex(0); }},
        {"edt__pImageLeadingPath", [](QWidget *w) { static_cast<QLineEdit *>(w)->setText(QStringLiteral("images/")); }},
        {"edtOriginalImagePath", [](QWidget *w) { static_cast<QLineEdit *>(w)->setText(QStringLiteral("/tmp/a.jpg")); }},
    };
    for (const auto &[name, edit] : edits) {
        form.ClearModified();
        edit(Find(name));
        EXPECT_TRUE(form.Modified) << name;
        EXPECT_TRUE(Find<QAction>("Save1")->isEnabled()) << name;
        EXPECT_TRUE(Find<QToolButton>("tlbtnSave")->isEnabled()) << name;
    }
    EXPECT_TRUE(prompts.calls.isEmpty()) << prompts.calls.join(QLatin1Char('\n')).toStdString();
}

TEST_F(Panes, PictureSettingsTravelBetweenPaneAndDocument)
{
    TMainForm &form = MakeForm();
    auto *hiDpi = Find<QCheckBox>("ckbx_HiDpiPictures");
    auto *webP = Find<QCheckBox>("ckbx_WebPPictures");
    EXPECT_FALSE(hiDpi->isChecked() || webP->isChecked()) << "off in a new project";
    form.Document->AppletExtras = {QStringLiteral("1"), QStringLiteral("0")};
    form.ShowAppletPane();
    EXPECT_TRUE(hiDpi->isChecked());
    EXPECT_FALSE(webP->isChecked());
    hiDpi->toggle();
    webP->toggle();
    form.ReadAppletPane();
    EXPECT_EQ(form.Document->AppletExtras, (TAppletExtras{QStringLiteral("0"), QStringLiteral("1")}));
}

TEST_F(Panes, SwatchTakesAConfirmedColourAndEnablesSaveEvenWhenCancelled)
{
    TMainForm &form = MakeForm();
    form.show();
    for (const char *name : kSwatches) {
        auto *swatch = Find<TColorPanel>(name);
        swatch->SetColor(0x336699);
        form.ClearModified();
        prompts.calls.clear();

        prompts.colours.push_back(std::nullopt);
        QTest::mouseClick(swatch, Qt::LeftButton);
        EXPECT_EQ(prompts.calls, QStringList{QStringLiteral("colour: 996633")}) << name;
        EXPECT_EQ(swatch->Color(), 0x336699u) << name;
        EXPECT_TRUE(form.Modified) << name;
        EXPECT_TRUE(Find<QToolButton>("tlbtnSave")->isEnabled()) << name;

        prompts.colours.push_back(TColor(0x0000FF));
        QTest::mouseClick(swatch, Qt::LeftButton);
        EXPECT_EQ(swatch->Color(), 0x0000FFu) << name;
    }
    // The colour reaches the gallery values as RRGGBB when the pane is read.
    form.ReadAppletPane();
    EXPECT_EQ(form.Document->AppletData.FlashBgColor, QStringLiteral("FF0000"));
}

TEST_F(Panes, LinkChooserPutsTheFileAddressIntoTheLink)
{
    struct Case
    {
        QString chosen;
        QString link; // empty: the dialog was dismissed and nothing changes
    };
    const Case cases[] = {
        {QStringLiteral("C:\\a b\\x.htm"), QStringLiteral("file:///C|/a b/x.htm")},
        {QStringLiteral("/home/u/my site/page.html"), QStringLiteral("file:///home/u/my site/page.html")},
        {QString(), QString()},
    };
    TMainForm &form = MakeForm();
    for (const Case &c : cases) {
        Find<QComboBox>("cmbx_ILink")->setEditText(QStringLiteral("http://before/"));
        form.ClearModified();
        prompts.calls.clear();
        prompts.files.push_back(c.chosen);
        Find<QToolButton>("spdbtnItURL")->click();
        EXPECT_EQ(prompts.calls, QStringList{QStringLiteral("open: HTML files(*.htm;*.html)|*.htm;*.html|Any file (*.*)|*.* | ")});
        EXPECT_EQ(Text("cmbx_ILink"), c.link.isEmpty() ? QStringLiteral("http://before/") : c.link) << c.chosen.toStdString();
        EXPECT_EQ(form.Modified, !c.link.isEmpty()) << c.chosen.toStdString();
    }
}

TEST_F(Panes, SeparatorGuardWarnsOnceAndEmptiesEachTextField)
{
    TMainForm &form = MakeForm();
    const QString warning = QStringLiteral("warning: The text can't include \"#$@\", it is used by system!");
    for (const char *name : kSeparatorGuardedFields) {
        prompts.calls.clear();
        auto *edit = qobject_cast<QLineEdit *>(Find(name));
        QLineEdit *typing = edit ? edit : Find<QComboBox>(name)->lineEdit();
        // A near miss passes; the separator itself, added as typing or pasting adds it, does not.
        typing->insert(QStringLiteral("#@$ #$"));
        EXPECT_TRUE(prompts.calls.isEmpty()) << name;
        typing->insert(QStringLiteral("@"));
        EXPECT_EQ(prompts.calls, QStringList{warning}) << name;
        EXPECT_EQ(Text(name), QString()) << name;
    }
    form.ReadAppletPane();
    EXPECT_EQ(form.Document->AppletData.ScriptName, QString());
}

TEST_F(Panes, ImageChooserRenamesATopLevelItemAndShowsItsPicture)
{
    TMainForm &form = MakeForm();
    form.show();
    QTreeWidgetItem *item = AddItem();
    form.Tree()->setCurrentItem(item);
    auto *path = Find<QLineEdit>("edtOriginalImagePath");
    TPicturePreview *preview = form.imgPreview;
    ASSERT_TRUE(path->text().isEmpty());
    EXPECT_TRUE(preview->isHidden());

    const QString picture = Picture(QStringLiteral("harbour at dusk.bmp"));
    ChooseImage({picture});
    EXPECT_EQ(prompts.calls.last(), QStringLiteral("pictures: ") + kPictureFilter + QStringLiteral(" |  | single"));
    EXPECT_EQ(path->text(), picture);
    EXPECT_EQ(item->text(0), QStringLiteral("harbour at dusk.bmp"));
    EXPECT_TRUE(preview->isVisible());
    EXPECT_EQ(preview->Picture().fullSize, QSize(8, 6));

    // Cancelled: the same picture is loaded again and the caption stays.
    item->setText(0, QStringLiteral("Renamed by hand"));
    preview->Clear();
    preview->hide();
    ChooseImage({});
    EXPECT_EQ(path->text(), picture);
    EXPECT_EQ(item->text(0), QStringLiteral("Renamed by hand"));
    EXPECT_TRUE(preview->isVisible());
    EXPECT_TRUE(preview->HasPicture());

    // A file that is no picture: the reader's reason in the preview, and path and caption changed all the same.
    const QString broken = scratch.Path(QStringLiteral("work/notes.jpg"));
    QFile notes(broken);
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.write("not a picture");
    notes.close();
    prompts.messages.clear();
    ChooseImage({broken});
    EXPECT_EQ(path->text(), broken);
    EXPECT_EQ(item->text(0), QStringLiteral("notes.jpg"));
    EXPECT_TRUE(prompts.messages.isEmpty());
    EXPECT_TRUE(preview->isVisible());
    EXPECT_FALSE(preview->HasPicture());
    EXPECT_TRUE(preview->Problem().startsWith(QStringLiteral("The JPEG picture cannot be read: "))) << preview->Problem().toStdString();

    // A name that is not a file: the path and caption change, the preview is not loaded.
    preview->hide();
    const QString missing = scratch.Path(QStringLiteral("work/gone.jpg"));
    ChooseImage({missing});
    EXPECT_EQ(path->text(), missing);
    EXPECT_EQ(item->text(0), QStringLiteral("gone.jpg"));
    EXPECT_TRUE(preview->isHidden());
}

TEST_F(Panes, ImageChooserLeavesNestedItemsAndRefusedPathsUnrenamed)
{
    TMainForm &form = MakeForm();
    form.show();
    AddItem();
    QTreeWidgetItem *nested = AddItem(1, QStringLiteral("Nested"));
    form.Tree()->setCurrentItem(nested);
    const QString picture = Picture(QStringLiteral("a.bmp"));
    ChooseImage({picture});
    EXPECT_EQ(Text("edtOriginalImagePath"), picture);
    EXPECT_EQ(nested->text(0), QStringLiteral("Nested"));

    // A path holding the separator is refused by the field; the node keeps its caption.
    QTreeWidgetItem *top = form.Tree()->NodeAt(1);
    form.Tree()->setCurrentItem(top);
    top->setText(0, QStringLiteral("Top"));
    ChooseImage({scratch.Path(QStringLiteral("work/x#$@y.bmp"))});
    EXPECT_EQ(Text("edtOriginalImagePath"), QString());
    EXPECT_EQ(top->text(0), QStringLiteral("Top"));
    EXPECT_EQ(prompts.messages.size(), 1);
}

TEST_F(Panes, HintLineFollowsTheMouseExceptWhileLoading)
{
    TMainForm &form = MakeForm();
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    auto *hint = Find<QLabel>("stctxtHint");
    const auto moveOver = [](QWidget *w, QPoint at = {}) { QTest::mouseMove(w, at.isNull() ? w->rect().center() : at); };
    struct Move
    {
        QWidget *control;
        QString hint;
        QPoint at; // the control's centre when null
    };
    hint->setText(QStringLiteral("Saving files..."));
    const Move moves[] = {
        {Find("tlbtnNew"), QStringLiteral("Create a new project"), {}},
        {Find("pnl_pFlashBgColor"), QString(), {}},
        {Find("tlbtnPreview"), QStringLiteral("preview the applet in web browser"), {}},
        {Find<QSpinBox>("spnedt_ItemHeight")->findChild<QLineEdit *>(), QString(), {}},
        {form.Tree()->viewport(), QStringLiteral("Add, remove or move items by right-clicking the mouse."), {}},
        // The sheet shows left of its groups.
        {Find("tbshtScript"), QString(), QPoint(3, 200)},
        {Find("ckbx_HiDpiPictures"), QStringLiteral("Each picture also at twice the size, for sharp screens"), {}},
        {Find("tlbtnHelp"), QStringLiteral("Show help document"), {}},
    };
    for (const Move &move : moves) {
        moveOver(move.control, move.at);
        EXPECT_EQ(hint->text(), move.hint) << move.control->objectName().toStdString();
    }

    form.Loading = true;
    moveOver(Find("tlbtnOpen"));
    moveOver(Find("pnl_pThumbFillColor"));
    EXPECT_EQ(hint->text(), QStringLiteral("Show help document"));
    form.Loading = false;
    moveOver(Find("tlbtnOpen"));
    EXPECT_EQ(hint->text(), QStringLiteral("Open a project from the file that you saved before"));
}
