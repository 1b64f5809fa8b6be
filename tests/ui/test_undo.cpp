// Undo and Redo on the window, driven by keys as a user drives them: the Edit menu and
// its tool buttons name the step, Modified follows the stack's clean state, and each
// undo brings back tree, document, pane and selection.
#include "UiFixture.h"

#include "ui/PicturePreview.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QUndoStack>

namespace {

class Undo : public UiTest
{
protected:
    // Undo and Redo as the Edit menu shows them ("" for disabled), and the Save state.
    void Expect(const char *undo, const char *redo, bool modified, int line)
    {
        SCOPED_TRACE("line " + std::to_string(line));
        for (auto [action, button, text] : {std::tuple{Find<QAction>("Undo1"), Find<QToolButton>("tlbtnUndo"), undo},
                                            {Find<QAction>("Redo1"), Find<QToolButton>("tlbtnRedo"), redo}}) {
            EXPECT_EQ(action->isEnabled() ? action->text() : QString(), QLatin1String(text));
            EXPECT_EQ(button->isEnabled(), action->isEnabled());
        }
        EXPECT_EQ(form->Modified, modified);
        EXPECT_EQ(Find<QAction>("Save1")->isEnabled(), modified);
    }
    void Key(QWidget *target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        target->setFocus();
        QTest::keyClick(target, Qt::Key(key), modifiers);
    }
    QString Title(int item) const { return form->Document->Items.at(size_t(item)).HTitle; }
};

} // namespace

TEST_F(Undo, EditMenuNamesTheStepAndModifiedFollowsTheSavedState)
{
    TMainForm &window = MakeForm();
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    TDesignTree *tree = window.Tree();
    auto *title = Find<QLineEdit>("edt_IToolTip");
    Expect("", "", false, __LINE__);

    // The item keys act in the tree, not in a text field.
    Key(tree, Qt::Key_Insert);
    Key(tree, Qt::Key_Insert);
    Expect("&Undo Insert", "", true, __LINE__);
    tree->setCurrentItem(tree->NodeAt(2));
    Key(title, Qt::Key_Delete);
    Key(title, Qt::Key_Insert);
    EXPECT_TRUE(prompts.calls.isEmpty());
    EXPECT_EQ(tree->NodeCount(), 3);

    // Typing into one field is one step, taken back by Ctrl+Z also from the field.
    title->setFocus();
    QTest::keyClicks(title, QStringLiteral("dusk"));
    EXPECT_EQ(Title(1), QStringLiteral("dusk"));
    Expect("&Undo Change Image Horizontal Title", "", true, __LINE__);
    Key(tree, Qt::Key_Up, Qt::AltModifier);
    Expect("&Undo Move Up", "", true, __LINE__);
    Key(title, Qt::Key_Z, Qt::ControlModifier);
    Key(title, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Title(1), QString());
    EXPECT_EQ(title->text(), QString());
    EXPECT_EQ(tree->SelectedIndex(), 2);
    Expect("&Undo Insert", "&Redo Change Image Horizontal Title", true, __LINE__);

    // Back where the project was opened: unmodified, though selecting an item marked it.
    Key(tree, Qt::Key_Z, Qt::ControlModifier);
    Key(tree, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(tree->NodeCount(), 1);
    Expect("", "&Redo Insert", false, __LINE__);
    Key(tree, Qt::Key_Y, Qt::ControlModifier);
    Key(tree, Qt::Key_Y, Qt::ControlModifier);
    Key(tree, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Title(1), QStringLiteral("dusk"));
    EXPECT_EQ(title->text(), QStringLiteral("dusk"));
    EXPECT_EQ(tree->SelectedIndex(), 2);

    // A save marks the step it saved; undoing and redoing comes back to it.
    prompts.files = {scratch.Work() + QStringLiteral("gallery.qmreel1")};
    Find<QAction>("Save1")->trigger();
    Expect("&Undo Change Image Horizontal Title", "&Redo Move Up", false, __LINE__);
    Key(tree, Qt::Key_Z, Qt::ControlModifier);
    Expect("&Undo Insert", "&Redo Change Image Horizontal Title", true, __LINE__);
    Key(tree, Qt::Key_Y, Qt::ControlModifier);
    Expect("&Undo Change Image Horizontal Title", "&Redo Move Up", false, __LINE__);

    // A deleted item comes back with its values, selected and shown in the pane.
    prompts.answers = {TAnswer::Yes};
    Key(tree, Qt::Key_Delete);
    EXPECT_EQ(tree->NodeCount(), 2);
    EXPECT_EQ(title->text(), QString());
    Key(tree, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(tree->NodeCount(), 3);
    EXPECT_EQ(tree->SelectedIndex(), 2);
    EXPECT_EQ(window.CurrentItemNode, tree->NodeAt(2));
    EXPECT_EQ(title->text(), QStringLiteral("dusk"));
    Expect("&Undo Change Image Horizontal Title", "&Redo Delete", false, __LINE__);

    // A new project starts with nothing to undo.
    Find<QAction>("New1")->trigger();
    EXPECT_EQ(window.UndoStack()->count(), 0);
    Expect("", "", false, __LINE__);

    // The gallery's picture settings beside the catalogue are undone like its values.
    auto *hiDpi = Find<QCheckBox>("ckbx_HiDpiPictures");
    hiDpi->click();
    EXPECT_EQ(window.Document->AppletExtras.HiDpi, QStringLiteral("1"));
    Key(tree, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_FALSE(hiDpi->isChecked());
    EXPECT_EQ(window.Document->AppletExtras.HiDpi, QStringLiteral("0"));
    Expect("", "&Redo Change Sharp on high-resolution screens (2x)", false, __LINE__);
}

// The focal point is set on the item's preview picture: a click is one step, key moves
// and a double click go on with it, Centre is a step of its own; it stays with its item.
TEST_F(Undo, FocalPointIsChosenOnThePreviewAsStepsOfItsItem)
{
    TMainForm &window = MakeForm();
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    TDesignTree *tree = window.Tree();
    QImage picture(200, 100, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    const QString path = scratch.Work() + QStringLiteral("portrait.bmp");
    ASSERT_TRUE(picture.save(path, "BMP"));
    Key(tree, Qt::Key_Insert);
    Key(tree, Qt::Key_Insert);
    window.Document->Items[0].OriginalImagePath = path;
    tree->setCurrentItem(tree->NodeAt(1));
    window.pgcntrl1->setCurrentWidget(window.tbshtItemGeneral);
    TPicturePreview *preview = window.imgPreview;
    auto *centre = Find<QPushButton>("btnCentreFocalPoint");
    ASSERT_TRUE(preview->isVisible());
    EXPECT_FALSE(centre->isEnabled());
    const int steps = window.UndoStack()->count();
    const auto focal = [&] { return window.Document->Items[0].FocalPoint; };
    const QRect shown = preview->PictureRect();
    const auto at = [&](int x, int y) { return shown.topLeft() + QPoint(shown.width() * x / 100, shown.height() * y / 100); };

    QTest::mouseClick(preview, Qt::LeftButton, {}, at(20, 70));
    const std::optional<TFocalPoint> clicked = preview->FocalPoint();
    ASSERT_TRUE(clicked);
    EXPECT_LE(std::abs(clicked->x - 20) + std::abs(clicked->y - 70), 2);
    EXPECT_EQ(focal(), FocalPointText(clicked));
    EXPECT_TRUE(centre->isEnabled());
    Expect("&Undo Change Focal Point", "", true, __LINE__);
    Key(preview, Qt::Key_Right);
    Key(preview, Qt::Key_Down, Qt::ShiftModifier);
    const TFocalPoint moved{clicked->x + 5, clicked->y + 1};
    EXPECT_EQ(focal(), FocalPointText(moved));
    EXPECT_EQ(window.UndoStack()->count(), steps + 1);
    Key(tree, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(focal(), QString());
    EXPECT_EQ(preview->FocalPoint(), std::nullopt);
    Key(tree, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(preview->FocalPoint(), moved);

    // Another item shown and this one again: the point went with the pane and came back.
    tree->setCurrentItem(tree->NodeAt(2));
    EXPECT_EQ(preview->FocalPoint(), std::nullopt);
    tree->setCurrentItem(tree->NodeAt(1));
    EXPECT_EQ(focal(), FocalPointText(moved));
    EXPECT_EQ(preview->FocalPoint(), moved);

    // A double click removes the point its first click set, in that click's step.
    QTest::mouseDClick(preview, Qt::LeftButton, {}, at(60, 30));
    EXPECT_EQ(focal(), QString());
    EXPECT_EQ(window.UndoStack()->count(), steps + 2);
    Key(tree, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(focal(), FocalPointText(moved));

    centre->click();
    EXPECT_EQ(focal(), QString());
    EXPECT_FALSE(centre->isEnabled());
    Expect("&Undo Change Focal Point", "", true, __LINE__);
    Key(tree, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(preview->FocalPoint(), moved);
    EXPECT_TRUE(centre->isEnabled());
}
