// The item tree commands, the item pane following the selection, batch import and
// pictures dropped on the tree, on the real window with scripted prompts. Shape()
// checks tree and document together: it fails when an item does not stand at its
// node with the node's depth as its Level.
#include "ErrorOf.h"
#include "GalleryText.h"
#include "UiFixture.h"

#include "publish/Folders.h"
#include "publish/codecs/JpegCodec.h"
#include "ui/PicturePreview.h"

#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

namespace {

const char *const kPictureFilter =
    "All Image Files(*.jpg;*.jpeg;*.gif;*.bmp;*.png;*.webp;*.heic;*.heif;*.avif;*.tif;*.tiff)|"
    "*.jpg;*.jpeg;*.gif;*.bmp;*.png;*.webp;*.heic;*.heif;*.avif;*.tif;*.tiff|Jpeg Files(*.jpg;*.jpeg)|*.jpg;*.jpeg|"
    "Gif Files(*.gif)|*.gif|Bitmap Files(*.bmp)|*.bmp|PNG Files(*.png)|*.png|WebP Files(*.webp)|*.webp|"
    "HEIC/HEIF Files(*.heic;*.heif)|*.heic;*.heif|AVIF Files(*.avif)|*.avif|TIFF Files(*.tif;*.tiff)|*.tif;*.tiff";

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

class TreeWindowTest : public UiTest
{
protected:
    // The window holding a gallery written as "A(A1 A2) B" (GalleryText.h), each item's
    // HTitle its name and " title". Unmodified, the root selected, every node expanded.
    TMainForm &Make(const char *shape)
    {
        MakeForm();
        TItemArray items = GalleryItems(shape);
        for (TItemData &item : items)
            item.HTitle = item.OriginalImagePath + QStringLiteral(" title");
        TAppletAgent::RebuildTree(items, *form->Tree());
        form->Document->Items = items;
        form->Tree()->expandAll();
        form->ClearModified();
        return *form;
    }

    // The node captioned `name`; "*" is the root.
    QTreeWidgetItem *Node(const QString &name) const
    {
        for (int k = 0; k < form->Tree()->NodeCount(); ++k)
            if (k == 0 ? name == QLatin1String("*") : form->Tree()->Caption(k) == name)
                return form->Tree()->NodeAt(k);
        ADD_FAILURE() << "no node " << name.toStdString();
        return nullptr;
    }
    void Select(const char *name) { form->Tree()->setCurrentItem(Node(QLatin1String(name))); }

    QString Shape() const { return GalleryShape(*form->Tree(), form->Document->Items); }

    QLineEdit *Title() const { return Find<QLineEdit>("edt_IToolTip"); }
};

class TreeCommands : public TreeWindowTest
{
};
class TreeCommandsBatchImport : public TreeWindowTest
{
};

} // namespace

TEST_F(TreeCommands, EditTreeAndItemsInStep)
{
    const QString asked = QStringLiteral("warning: Are you sure to delete this item and all its children?");
    const QString refused = QStringLiteral("error: Root item cannot be deleted.");
    struct Case
    {
        const char *before;
        const char *selected;
        void (TMainForm::*command)();
        TAnswer answer;
        const char *after;
        QStringList calls;
        const char *selectedAfter;
    };
    const Case cases[] = {
        {"A B C", "*", &TMainForm::Insert1Click, TAnswer::Yes, "A B C Image", {}, "*"},
        {"A(A1) B", "A", &TMainForm::Insert1Click, TAnswer::Yes, "A(A1 Image) B", {}, "A"},
        {"A B C D", "B", &TMainForm::Delete1Click, TAnswer::Yes, "A C D", {asked}, "C"},
        {"A(A1 A2) B", "A", &TMainForm::Delete1Click, TAnswer::Yes, "B", {asked}, "B"},
        {"A B(B1(B2))", "B2", &TMainForm::Delete1Click, TAnswer::Yes, "A B(B1)", {asked}, "B1"}, // the last node of the tree
        {"A", "A", &TMainForm::Delete1Click, TAnswer::Yes, "", {asked}, "*"},
        {"A B", "B", &TMainForm::Delete1Click, TAnswer::No, "A B", {asked}, "B"},
        {"A", "*", &TMainForm::Delete1Click, TAnswer::Yes, "A", {refused}, "*"},
        {"A(A1 A2) B", "B", &TMainForm::MoveUp1Click, TAnswer::Yes, "B A(A1 A2)", {}, "B"},
        {"A B(B1 B2) C", "A", &TMainForm::MoveDown1Click, TAnswer::Yes, "B(B1 B2) A C", {}, "A"},
        {"A(A1 A2) B", "A1", &TMainForm::MoveDown1Click, TAnswer::Yes, "A(A2 A1) B", {}, "A1"},
        {"A B", "A", &TMainForm::MoveUp1Click, TAnswer::Yes, "A B", {}, "A"},   // nothing to pass
        {"A B", "B", &TMainForm::MoveDown1Click, TAnswer::Yes, "A B", {}, "B"}, // nothing to pass
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.before) + " / " + c.selected + " -> " + c.after);
        TMainForm &window = Make(c.before);
        Select(c.selected);
        window.ClearModified();
        prompts.calls.clear();
        prompts.answers = {c.answer};
        window.Guarded([&] { (window.*c.command)(); });
        EXPECT_EQ(Shape(), QLatin1String(c.after));
        EXPECT_EQ(prompts.calls, c.calls);
        EXPECT_EQ(window.Tree()->Selected(), Node(QLatin1String(c.selectedAfter)));
        // Every use counts as a change, also one that is refused or changes nothing.
        EXPECT_TRUE(window.Modified && Find<QAction>("Save1")->isEnabled());
    }
}

TEST_F(TreeCommands, InsertAddsAnEmptyItemUnderTheExpandedRoot)
{
    TMainForm &form = Make("A B C");
    form.Tree()->collapseAll();
    Find<QToolButton>("tlbtnInsert")->click();
    EXPECT_EQ(Shape(), QStringLiteral("A B C Image"));
    EXPECT_EQ(TAppletAgent::ItemToStrings(form.Document->GetItem(3)).join(QLatin1Char('|')), QStringLiteral("||||_self|||0|||"));
    EXPECT_TRUE(form.Tree()->Root()->isExpanded());
    EXPECT_EQ(form.CurrentItemNode, nullptr);
}

TEST_F(TreeCommands, ItemPaneFollowsTheSelection)
{
    TMainForm &form = Make("A(A1 A2) B C");
    Select("A");
    EXPECT_EQ(Title()->text(), QStringLiteral("A title"));
    EXPECT_TRUE(form.Modified) << "selecting an item counts as a change";

    // Selecting the root stores the pane; the same item again does not reload it.
    Title()->setText(QStringLiteral("evening"));
    Select("*");
    EXPECT_EQ(form.Document->GetItem(0).HTitle, QStringLiteral("evening"));
    form.Document->Items[0].HTitle = QStringLiteral("changed behind the pane");
    Select("A");
    EXPECT_EQ(Title()->text(), QStringLiteral("evening"));

    // A move keeps the node selected and the pane as typed, to be stored at the new place.
    Select("B");
    Title()->setText(QStringLiteral("typed into B"));
    Find<QAction>("MoveUp2")->trigger();
    // (The pane empties the Level of the items it was read into; a build sets them again.)
    EXPECT_EQ(form.Document->Items[0].OriginalImagePath + form.Document->Items[1].OriginalImagePath, QStringLiteral("BA"));
    EXPECT_EQ(form.CurrentItemNode, Node(QStringLiteral("B")));
    EXPECT_EQ(Title()->text(), QStringLiteral("typed into B"));
    EXPECT_FALSE(Find<QAction>("MoveUp1")->isEnabled());

    // Deleting the shown item: the pane goes into no other item, and the node the
    // tree picks shows its own values, read once the subtree had gone.
    prompts.answers = {TAnswer::Yes};
    Find<QAction>("Delete2")->trigger();
    EXPECT_EQ(form.CurrentItemNode, Node(QStringLiteral("A")));
    EXPECT_EQ(Title()->text(), QStringLiteral("evening"));
    Select("*");
    EXPECT_EQ(form.Document->GetItem(3).HTitle, QStringLiteral("C title"));
    EXPECT_EQ(form.Document->GetItem(0).HTitle, QStringLiteral("evening"));
}

TEST_F(TreeCommands, RightClickSelectsTheNodeBeforeThePopUp)
{
    TMainForm &form = Make("A B");
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const QRect b = form.Tree()->visualItemRect(Node(QStringLiteral("B")));
    QTest::mouseClick(form.Tree()->viewport(), Qt::RightButton, Qt::NoModifier, b.center());
    EXPECT_EQ(form.CurrentItemNode, Node(QStringLiteral("B")));
    EXPECT_TRUE(Find<QAction>("Delete1")->isEnabled());
    EXPECT_FALSE(Find<QAction>("Insert1")->isEnabled());
}

TEST_F(TreeCommands, PreviewShowsExistingPicturesOnly)
{
    TMainForm &form = Make("A B C");
    const QString paths[] = {scratch.Work() + QStringLiteral("wide.jpg"), scratch.Work() + QStringLiteral("broken.jpg"),
                             scratch.Work() + QStringLiteral("missing.jpg")};
    WriteFile(paths[0], EncodeJpeg(Bitmap(400, 100)));
    WriteFile(paths[1], "not a picture");
    for (int i = 0; i < 3; ++i)
        form.Document->Items[size_t(i)].OriginalImagePath = paths[i];
    auto *preview = Find<TPicturePreview>("imgPreview");

    Select("A");
    EXPECT_FALSE(preview->isHidden());
    preview->resize(300, 300);
    EXPECT_EQ(preview->PictureRect(), QRect(0, 112, 300, 75)) << "whole, centred, in its own proportions";

    // No picture: publishing's reason in its place, no box, and the selection handled all the same.
    Select("B");
    EXPECT_FALSE(preview->isHidden());
    EXPECT_FALSE(preview->HasPicture());
    EXPECT_TRUE(preview->Problem().startsWith(QStringLiteral("The JPEG picture cannot be read: "))) << preview->Problem().toStdString();
    EXPECT_EQ(Title()->text(), QStringLiteral("B title"));

    Select("C");
    EXPECT_TRUE(preview->isHidden());
    Select("A");
    EXPECT_TRUE(preview->Problem().isEmpty());
    EXPECT_TRUE(preview->HasPicture());
    EXPECT_TRUE(prompts.calls.isEmpty());
}

TEST(TreeCommandsPreview, ReadsAtAReducedScaleAndFollowsTheBox)
{
    EXPECT_EQ(FittedRect({100, 400}, {0, 0, 300, 300}), QRect(112, 0, 75, 300));
    EXPECT_EQ(FittedRect({30, 20}, {10, 10, 600, 200}), QRect(160, 10, 300, 200)) << "small pictures grow";
    EXPECT_EQ(FittedRect({1, 5000}, {0, 0, 100, 100}), QRect(49, 0, 1, 100));

    ScratchHome scratch;
    const QString path = scratch.Work() + QStringLiteral("photo.jpg");
    WriteFile(path, EncodeJpeg(Bitmap(1600, 800)));
    // Read at 2/8 for a 400 x 400 box: exactly the pixels the box shows.
    const TPreviewPicture small = ReadPreviewPicture(path, QSize(400, 400), 0);
    EXPECT_EQ(small.fullSize, QSize(1600, 800));
    EXPECT_EQ(small.image.size(), QSize(400, 200));

    // The widget reads for at least a usual box, and again once it has grown past it.
    TPicturePreview preview;
    preview.resize(200, 100);
    preview.show();
    preview.ShowPicture(path, 0);
    EXPECT_EQ(preview.Picture().image.size(), QSize(640, 320));
    preview.resize(1200, 1000);
    EXPECT_EQ(preview.Picture().image.size(), QSize(1200, 600));

    // What publishing refuses, the preview refuses with the same message.
    WriteFile(scratch.Work() + QStringLiteral("photo.psd"), "8BPS");
    EXPECT_TRUE(ErrorOf([&] {
                    preview.ShowPicture(scratch.Work() + QStringLiteral("photo.psd"), 0);
                }).contains(QStringLiteral("unsupported picture type")));
    EXPECT_FALSE(preview.HasPicture());
}

TEST_F(TreeCommandsBatchImport, AppendsOneItemPerChosenFileInDialogOrder)
{
    struct Case
    {
        const char *before;
        QStringList chosen; // empty: the dialog is cancelled
        const char *after;
    };
    const Case cases[] = {
        {"",
         {QStringLiteral("/p/one.jpg"), QStringLiteral("/p/two.gif"), QStringLiteral("/nowhere/three.BMP")},
         "one.jpg two.gif three.BMP"},
        {"A(A1) B", {QStringLiteral("/p/c.jpg")}, "A(A1) B c.jpg"},
        {"", {QStringLiteral("/p/my.beach photo.jpg")}, "my.beach photo.jpg"},
        {"A", {}, "A"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.after);
        TMainForm &window = Make(c.before);
        window.Tree()->collapseAll();
        const size_t before = window.Document->Items.size();
        Find<QAction>("Insert1")->setEnabled(false); // stale until the command state is refreshed
        prompts.calls.clear();
        prompts.pictures = {c.chosen};
        Find<QPushButton>("btnBatchImportImgs")->click();

        EXPECT_EQ(Shape(), QLatin1String(c.after));
        EXPECT_EQ(prompts.calls,
                  QStringList{QStringLiteral("pictures: %1 | %2 | multiple").arg(QLatin1String(kPictureFilter), MyPicturesFolder())});
        EXPECT_TRUE(window.Modified && Find<QAction>("Insert1")->isEnabled());
        EXPECT_EQ(window.Tree()->Root()->isExpanded(), !c.chosen.isEmpty());
        EXPECT_EQ(window.Tree()->Selected(), window.Tree()->Root());
        for (qsizetype i = 0; i < c.chosen.size(); ++i) {
            TItemData expected = TAppletAgent::NewItem();
            expected.OriginalImagePath = c.chosen[i];
            expected.Level = QStringLiteral("0");
            EXPECT_EQ(TAppletAgent::ItemToStrings(window.Document->Items[before + size_t(i)]), TAppletAgent::ItemToStrings(expected));
        }
    }
}

TEST_F(TreeCommandsBatchImport, DroppedPicturesBecomeItemsAndOtherFilesAreNamed)
{
    TMainForm &form = Make("A B");
    Select("A");
    form.ClearModified();
    EXPECT_EQ(form.Tree()->dragDropMode(), QAbstractItemView::InternalMove) << "nodes are dragged inside the tree";
    const QString work = scratch.Work();
    // Each type known by its first bytes, whatever the letter case of its name.
    const std::pair<const char *, QByteArray> files[] = {
        {"sea.jpg", "\xFF\xD8\xFF\xE0"},
        {"notes.txt", "x"},
        {"Dunes.JPEG", "\xFF\xD8\xFF\xDB"},
        {"old.Gif", "GIF87a"},
        {"scan.bmp", "BM"},
        {"phone.HEIC", QByteArray("\0\0\0\x18"
                                  "ftypheic",
                                  12)},
        {"shot.png", "\x89PNG\r\n\x1A\n"},
        {"renamed.jpg", "GIF89a"},
        {"empty.gif", ""},
        {"half.png", "\x89PNG"},
    };
    for (const auto &[name, bytes] : files)
        WriteFile(work + QLatin1String(name), bytes);
    QDir().mkpath(work + QStringLiteral("album.jpg"));
    const auto drop = [&](const QStringList &names) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString &name : names)
            urls << QUrl::fromLocalFile(work + name);
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(form.Tree()->viewport(), &enter);
        QCoreApplication::sendEvent(form.Tree()->viewport(), &dropped);
        QCoreApplication::processEvents();
        return enter.isAccepted() && dropped.isAccepted();
    };

    // Only other files: nothing changes but the box naming them.
    EXPECT_TRUE(drop({QStringLiteral("notes.txt")}));
    EXPECT_EQ(Shape(), QStringLiteral("A B"));
    EXPECT_FALSE(form.Modified);
    prompts.calls.clear();

    EXPECT_TRUE(drop({QStringLiteral("sea.jpg"), QStringLiteral("notes.txt"), QStringLiteral("Dunes.JPEG"), QStringLiteral("album.jpg"),
                      QStringLiteral("old.Gif"), QStringLiteral("renamed.jpg"), QStringLiteral("scan.bmp"), QStringLiteral("empty.gif"),
                      QStringLiteral("phone.HEIC"), QStringLiteral("half.png"), QStringLiteral("shot.png")}));
    EXPECT_EQ(Shape(), QStringLiteral("A B sea.jpg Dunes.JPEG old.Gif scan.bmp phone.HEIC shot.png"));
    EXPECT_TRUE(form.Modified && form.Tree()->Root()->isExpanded());
    EXPECT_EQ(form.Tree()->Selected(), Node(QStringLiteral("A")));
    ASSERT_EQ(prompts.calls.size(), 1);
    EXPECT_TRUE(prompts.calls[0].startsWith(QStringLiteral("information: ")));
    // A file of another type is named alone; the others with the reason.
    const auto notA = [&](const char *name, const char *type) {
        return QStringLiteral("The picture \"%1\" is not a %2 picture: its content does not begin as such a file does.")
            .arg(work + QLatin1String(name), QLatin1String(type));
    };
    EXPECT_EQ(prompts.calls[0].split(QLatin1Char('\n')).mid(2),
              (QStringList{QDir::toNativeSeparators(work + QStringLiteral("notes.txt")),
                           QStringLiteral("The picture \"%1\" cannot be opened: it is not a file.").arg(work + QStringLiteral("album.jpg")),
                           notA("renamed.jpg", "JPEG"), notA("empty.gif", "GIF"), notA("half.png", "PNG")}));
}
