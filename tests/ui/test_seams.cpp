#include "UiFixture.h"

#include "model/MemorySeams.h"
#include "model/TreeEdits.h"
#include "ui/Application.h"
#include "ui/DesignTree.h"
#include "ui/Icons.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QSignalSpy>

TEST(SeamsDesignTree, AbsoluteIndexesArePreOrderLikeTheMemoryTree)
{
    TDesignTree tree;
    MemoryItemTree memory;
    tree.ResetToRoot();
    // root, a, a1, a1x, a2, b, b1
    const std::vector<std::pair<int, const char *>> adds = {{0, "a"}, {1, "a1"}, {2, "a1x"}, {1, "a2"}, {0, "b"}, {5, "b1"}};
    for (const auto &[parent, caption] : adds) {
        tree.AddLastChild(parent, QLatin1String(caption));
        memory.AddLastChild(parent, QLatin1String(caption));
    }
    ASSERT_EQ(tree.NodeCount(), memory.NodeCount());
    for (int k = 0; k < tree.NodeCount(); ++k) {
        EXPECT_EQ(tree.Caption(k), memory.Caption(k)) << k;
        EXPECT_EQ(tree.Depth(k), memory.Depth(k)) << k;
        EXPECT_EQ(tree.AbsoluteIndex(tree.NodeAt(k)), k);
    }
    EXPECT_EQ(tree.NodeAt(7), nullptr);
    EXPECT_EQ(tree.AbsoluteIndex(nullptr), -1);
    EXPECT_THROW(tree.Caption(9), std::out_of_range);

    tree.SetCaption(3, QStringLiteral("renamed"));
    EXPECT_EQ(tree.NodeAt(3)->text(0), QStringLiteral("renamed"));
    // Adding below an inner node keeps the order of everything after it.
    tree.AddLastChild(1, QStringLiteral("a3"));
    EXPECT_EQ(tree.Caption(5), QStringLiteral("a3"));
    EXPECT_EQ(tree.Caption(6), QStringLiteral("b"));

    tree.ResetToRoot();
    EXPECT_EQ(tree.NodeCount(), 1);
    EXPECT_EQ(tree.Caption(0), QStringLiteral("Quillmere"));
}

namespace {

// Every node with what the seam tells about it, one line each.
QString Describe(const IItemTree &tree)
{
    QString out;
    for (int k = 0; k < tree.NodeCount(); ++k)
        out += QStringLiteral("%1 %2 depth %3 parent %4 previous %5 next %6 size %7\n")
                   .arg(k)
                   .arg(tree.Caption(k))
                   .arg(tree.Depth(k))
                   .arg(tree.Parent(k))
                   .arg(tree.PreviousSibling(k))
                   .arg(tree.NextSibling(k))
                   .arg(tree.SubtreeSize(k));
    return out;
}

// root, a(a1(x y) a2) b c(c1)
void Fill(IItemTree &tree)
{
    tree.ResetToRoot();
    const std::vector<std::pair<int, const char *>> adds = {{0, "a"},  {1, "a1"}, {2, "x"}, {2, "y"},
                                                            {1, "a2"}, {0, "b"},  {0, "c"}, {7, "c1"}};
    for (const auto &[parent, caption] : adds)
        tree.AddLastChild(parent, QLatin1String(caption));
}

} // namespace

TEST(SeamsDesignTree, StructureEditsMatchTheMemoryTree)
{
    TDesignTree tree;
    MemoryItemTree memory;
    Fill(tree);
    Fill(memory);
    ASSERT_EQ(Describe(tree), Describe(memory));

    // One script on both trees; after each step both must tell the same.
    enum Kind { Move, Remove, Add };
    struct Step
    {
        Kind kind;
        int a;
        int b;
    };
    const Step script[] = {
        {Move, 6, 1},   // b before a: root b a(a1(x y) a2) c(c1)
        {Move, 6, 3},   // a2 before a1: root b a(a2 a1(x y)) c(c1)
        {Move, 8, 7},   // c1 before c: not siblings, refused
        {Move, 6, 5},   // y before x
        {Add, 2, 0},    // a last child of a, in the middle of the order
        {Remove, 4, 0}, // a1 with y and x
        {Add, 0, 0},    // a last node at the very end
        {Move, 5, 1},   // c before b: root c(c1) b a(a2 new1) new2
        {Remove, 7, 0}, // the last node
        {Add, 4, 0},    // a last child of a, which ends the order
        {Add, 1, 0},    // and one of c, which does not
        {Remove, 1, 0}, // c with its two children
        {Move, 2, 1},   // a before b
    };
    int added = 0;
    for (const Step &step : script) {
        const QString before = Describe(memory);
        switch (step.kind) {
        case Move:
            if (memory.Parent(step.a) != memory.Parent(step.b)) {
                EXPECT_THROW(memory.MoveSubtreeBefore(step.a, step.b), std::invalid_argument);
                EXPECT_THROW(tree.MoveSubtreeBefore(step.a, step.b), std::invalid_argument);
                EXPECT_EQ(Describe(memory), before);
            } else {
                memory.MoveSubtreeBefore(step.a, step.b);
                tree.MoveSubtreeBefore(step.a, step.b);
            }
            break;
        case Remove:
            memory.RemoveSubtree(step.a);
            tree.RemoveSubtree(step.a);
            break;
        case Add: {
            const QString caption = QStringLiteral("new%1").arg(++added);
            memory.AddLastChild(step.a, caption);
            tree.AddLastChild(step.a, caption);
            break;
        }
        }
        ASSERT_EQ(Describe(tree), Describe(memory)) << step.kind << " " << step.a << " " << step.b;
    }

    for (IItemTree *t : std::initializer_list<IItemTree *>{&tree, &memory}) {
        const QString before = Describe(*t);
        EXPECT_THROW(t->RemoveSubtree(0), std::invalid_argument);
        EXPECT_THROW(t->RemoveSubtree(t->NodeCount()), std::out_of_range);
        EXPECT_THROW(t->MoveSubtreeBefore(1, 1), std::invalid_argument);
        EXPECT_THROW(t->MoveSubtreeBefore(1, -1), std::out_of_range);
        EXPECT_THROW(t->SubtreeSize(-1), std::out_of_range);
        EXPECT_EQ(Describe(*t), before);
    }
}

TEST(SeamsDesignTree, NodesAddedOrRemovedDirectlyAreCounted)
{
    TDesignTree tree;
    Fill(tree);
    ASSERT_EQ(tree.NodeCount(), 9);
    // Changes made through the widget's own interface are seen too.
    auto *extra = new QTreeWidgetItem(tree.NodeAt(1), QStringList{QStringLiteral("extra")});
    EXPECT_EQ(tree.NodeCount(), 10);
    EXPECT_EQ(tree.AbsoluteIndex(extra), 6);
    EXPECT_EQ(tree.Caption(7), QStringLiteral("b"));
    delete tree.NodeAt(2); // a1 with x and y
    EXPECT_EQ(tree.NodeCount(), 7);
    EXPECT_EQ(tree.Caption(3), QStringLiteral("extra"));
    EXPECT_EQ(tree.AbsoluteIndex(extra), 3);
    EXPECT_EQ(tree.SubtreeSize(0), 7);
}

TEST(SeamsDesignTree, MovesKeepSelectionAndExpansionWithoutSignals)
{
    TDesignTree tree;
    Fill(tree);
    tree.expandAll();
    QTreeWidgetItem *a = tree.NodeAt(1);
    QTreeWidgetItem *a1 = tree.NodeAt(2);
    QTreeWidgetItem *c = tree.NodeAt(7);
    a1->setExpanded(false); // a collapsed node inside the moved subtree stays collapsed
    tree.setCurrentItem(a);
    QSignalSpy current(&tree, &QTreeWidget::currentItemChanged);
    QSignalSpy selection(&tree, &QTreeWidget::itemSelectionChanged);

    tree.MoveSubtreeBefore(1, 7); // the selected a, with its subtree, before c: root b a(...) c(c1)
    EXPECT_EQ(tree.Caption(2), QStringLiteral("a"));
    tree.MoveSubtreeBefore(7, 1);                                      // c before b: a moves along with a sibling's move
    tree.MoveSubtreeBefore(4, 1);                                      // a before c: root a(...) c(c1) b
    EXPECT_THROW(tree.MoveSubtreeBefore(7, 6), std::invalid_argument); // c1 is no sibling of c
    EXPECT_EQ(current.count(), 0);
    EXPECT_EQ(selection.count(), 0);
    EXPECT_EQ(tree.currentItem(), a);
    EXPECT_EQ(tree.selectedItems(), QList<QTreeWidgetItem *>{a});
    EXPECT_TRUE(tree.Root()->isExpanded());
    EXPECT_TRUE(a->isExpanded());
    EXPECT_FALSE(a1->isExpanded());
    EXPECT_TRUE(c->isExpanded());
    EXPECT_EQ(tree.AbsoluteIndex(a), 1);
    EXPECT_EQ(tree.AbsoluteIndex(c), 6);
}

TEST(SeamsDesignTree, MovesToAnyPlaceMatchTheMemoryTree)
{
    TDesignTree tree;
    MemoryItemTree memory;
    Fill(tree);
    Fill(memory);
    tree.expandAll();
    QTreeWidgetItem *x = tree.NodeAt(3);
    tree.setCurrentItem(x);
    QSignalSpy current(&tree, &QTreeWidget::currentItemChanged);
    struct Step
    {
        int node;
        int parent;
        int before;
        bool refused;
    };
    const Step script[] = {
        {4, 7, -1, false}, // y the last child of c: root a(a1(x) a2) b c(c1 y)
        {2, 0, 5, false},  // a1 before b: root a(a2) a1(x) b c(c1 y)
        {6, 4, -1, false}, // c down into x: root a(a2) a1(x(c(c1 y))) b
        {3, 5, -1, true},  // a1 into its own c
        {8, 1, 2, false},  // b before a2: root a(b a2) a1(x(c(c1 y)))
        {1, 0, -1, false}, // a the last child of the root: root a1(x(c(c1 y))) a(b a2)
        {2, 1, 2, false},  // x before itself: where it is
        {0, 0, -1, true},  // the root
        {2, 0, 3, true},   // before a node that is no child of the root
    };
    for (const Step &step : script) {
        const QString before = Describe(memory);
        if (step.refused) {
            EXPECT_THROW(memory.MoveSubtree(step.node, step.parent, step.before), std::invalid_argument);
            EXPECT_THROW(tree.MoveSubtree(step.node, step.parent, step.before), std::invalid_argument);
            EXPECT_EQ(Describe(memory), before);
        } else {
            memory.MoveSubtree(step.node, step.parent, step.before);
            tree.MoveSubtree(step.node, step.parent, step.before);
        }
        ASSERT_EQ(Describe(tree), Describe(memory)) << step.node << " " << step.parent << " " << step.before;
    }
    EXPECT_EQ(memory.Dump(), QStringLiteral("Quillmere\n  a1\n    x\n      c\n        c1\n        y\n  a\n    b\n    a2\n"));
    EXPECT_EQ(tree.currentItem(), x);
    EXPECT_EQ(current.count(), 0);
    EXPECT_TRUE(tree.NodeAt(3)->isExpanded()); // c went twice and stays open
}

TEST(SeamsDesignTree, DeleteReportsTheNewSelectionOnceTheSubtreeIsGone)
{
    TDesignTree tree;
    TAppletAgent document;
    for (const auto &[name, level] : std::vector<std::pair<const char *, const char *>>{{"a", "0"}, {"a1", "1"}, {"b", "0"}, {"c", "0"}}) {
        TItemData item = TAppletAgent::NewItem();
        item.OriginalImagePath = QLatin1String(name);
        item.Level = QLatin1String(level);
        document.Items.push_back(item);
    }
    tree.ResetToRoot();
    TAppletAgent::RebuildTree(document.Items, tree);
    // What a selection handler finds when it hears of the change.
    QStringList heard;
    QObject::connect(&tree, &QTreeWidget::currentItemChanged, [&](QTreeWidgetItem *current) {
        const int k = tree.AbsoluteIndex(current);
        heard << QStringLiteral("%1 at %2, %3 nodes, %4 items")
                     .arg(current ? current->text(0) : QStringLiteral("none"))
                     .arg(k)
                     .arg(tree.NodeCount())
                     .arg(document.Items.size());
    });
    struct Case
    {
        int select;
        int remove;
        const char *heard; // nullptr: nothing
    };
    const Case cases[] = {
        {2, 1, "b at 1, 3 nodes, 2 items"},         // a child of the removed node was current: its next sibling
        {2, 2, "b at 1, 2 nodes, 1 items"},         // the last node: its previous sibling
        {1, 1, "Quillmere at 0, 1 nodes, 0 items"}, // the only child: its parent
    };
    for (const Case &c : cases) {
        tree.setCurrentItem(tree.NodeAt(c.select));
        heard.clear();
        DeleteSubtree(document, tree, c.remove);
        EXPECT_EQ(heard.join(QLatin1Char('|')), QLatin1String(c.heard)) << c.select << " " << c.remove;
        EXPECT_EQ(tree.selectedItems(), QList<QTreeWidgetItem *>{tree.currentItem()});
    }
    // Removing a node that is not selected changes no selection.
    AppendImportedItems(document, tree, {QStringLiteral("d"), QStringLiteral("e")});
    heard.clear();
    DeleteSubtree(document, tree, 1);
    EXPECT_TRUE(heard.isEmpty());
    EXPECT_EQ(tree.currentItem(), tree.Root());
    EXPECT_EQ(tree.Caption(1), QStringLiteral("e"));
}

TEST(SeamsDesignTree, LargeTreesFlatOrNestedAnswerAndGoWithoutAWalkPerNode)
{
    constexpr int n = 10000;
    for (const bool nested : {false, true}) {
        SCOPED_TRACE(nested ? "nested" : "flat");
        auto tree = std::make_unique<TDesignTree>();
        TItemArray items(size_t(n), TAppletAgent::NewItem());
        for (int i = 0; i < n; ++i)
            items[size_t(i)].Level = QString::number(nested ? i : 0);
        tree->ResetToRoot();
        TAppletAgent::RebuildTree(items, *tree);
        tree->ExpandAll();
        tree->show();
        EXPECT_EQ(tree->NodeAt(n - 1)->isExpanded(), nested);
        EXPECT_TRUE(tree->Root()->isExpanded());
        int wrong = 0;
        for (int k = 1; k <= n; ++k) {
            const bool right = nested
                                   ? tree->Depth(k) == k && tree->Parent(k) == k - 1 && tree->SubtreeSize(k) == n + 1 - k &&
                                         tree->PreviousSibling(k) == -1 && tree->NextSibling(k) == -1
                                   : tree->Depth(k) == 1 && tree->Parent(k) == 0 && tree->SubtreeSize(k) == 1 &&
                                         tree->PreviousSibling(k) == (k > 1 ? k - 1 : -1) && tree->NextSibling(k) == (k < n ? k + 1 : -1);
            wrong += right ? 0 : 1;
            wrong += tree->AbsoluteIndex(tree->NodeAt(k)) == k ? 0 : 1;
        }
        EXPECT_EQ(wrong, 0);
        EXPECT_LE(tree->NodeVisits(), 3 * n);
        // The lower half goes, then the rest, then the widget: none of it recurses once
        // per level, which a tree this deep would not survive in every build. The nodes
        // above stay open.
        tree->setCurrentItem(tree->NodeAt(n));
        tree->RemoveSubtree(nested ? n / 2 : n);
        EXPECT_EQ(tree->NodeCount(), nested ? n / 2 : n);
        EXPECT_EQ(tree->AbsoluteIndex(tree->currentItem()), nested ? n / 2 - 1 : n - 1);
        EXPECT_EQ(tree->NodeAt(n / 4)->isExpanded(), nested);
        tree->ResetToRoot();
        EXPECT_EQ(tree->NodeCount(), 1);
        TAppletAgent::RebuildTree(items, *tree);
        // Below the depth the window expands, the nodes stay collapsed.
        tree->ExpandAll(n / 2);
        EXPECT_EQ(tree->NodeAt(n / 2 - 1)->isExpanded(), nested);
        EXPECT_FALSE(tree->NodeAt(n / 2)->isExpanded());
        tree.reset();
    }
}

TEST(SeamsStatusProgress, ShowsStageAndProgressAndComesBackToRest)
{
    QProgressBar bar;
    QLabel hint;
    TStatusProgress progress(&bar, &hint, nullptr);
    {
        ProgressReset reset(progress);
        progress.SetStage(QStringLiteral("Saving ..."));
        progress.SetBusy(true);
        progress.SetMaximum(4);
        progress.Step(1);
        progress.Step(2);
        EXPECT_EQ(hint.text(), QStringLiteral("Saving ..."));
        EXPECT_EQ(bar.value(), 3);
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        progress.SetBusy(true); // no second cursor to restore
    }
    EXPECT_EQ(bar.value(), 0);
    EXPECT_TRUE(hint.text().isEmpty());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(SeamsPrompts, FiltersAndScriptedAnswers)
{
    EXPECT_EQ(QtFileFilter(QStringLiteral("Quillmere Files (*.qmreel1)|*.qmreel1")),
              QStringLiteral("Quillmere Files (*.qmreel1) (*.qmreel1)"));
    EXPECT_EQ(QtFileFilter(QStringLiteral("Jpeg Files(*.jpg;*.jpeg)|*.jpg;*.jpeg|Gif Files(*.gif)|*.gif")),
              QStringLiteral("Jpeg Files(*.jpg;*.jpeg) (*.jpg *.jpeg);;Gif Files(*.gif) (*.gif)"));

    TScriptedPrompts prompts;
    // Empty queues answer as a closed box or a dismissed dialog.
    EXPECT_EQ(prompts.Warning(QStringLiteral("q"), TWarningButtons::YesNoCancel), TAnswer::Cancel);
    EXPECT_EQ(prompts.Warning(QStringLiteral("q"), TWarningButtons::YesNo), TAnswer::No);
    EXPECT_TRUE(prompts.OpenFile(QString(), QString()).isEmpty());
    EXPECT_TRUE(prompts.OpenPictures(QString(), QString(), true).isEmpty());
    EXPECT_FALSE(prompts.PickColor(0xFF).has_value());
    prompts.answers.push_back(TAnswer::Yes);
    prompts.colours.push_back(TColor(0x00FF00));
    EXPECT_EQ(prompts.Warning(QStringLiteral("q"), TWarningButtons::YesNo), TAnswer::Yes);
    EXPECT_EQ(prompts.PickColor(0), TColor(0x00FF00));
    EXPECT_TRUE(prompts.ShellOpen(QStringLiteral("http://example.com/")));
    EXPECT_EQ(prompts.opened, QStringList{QStringLiteral("http://example.com/")});
    EXPECT_EQ(prompts.calls.size(), 8);
}

TEST(SeamsPrompts, TheBoxForAnAddressTheDesktopCannotOpenShowsAndCopiesIt)
{
    const QString address = QStringLiteral("http://127.0.0.1:8123/preview/~preview.html");
    const std::unique_ptr<QMessageBox> box = CannotOpenBox(nullptr, address);
    EXPECT_TRUE(box->text().endsWith(QStringLiteral("\n\n") + address)) << box->text().toStdString();
    QAbstractButton *copy = nullptr;
    for (QAbstractButton *button : box->buttons())
        if (button->text() == QStringLiteral("Copy Address"))
            copy = button;
    ASSERT_NE(copy, nullptr);
    QGuiApplication::clipboard()->clear();
    copy->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), address);
}

TEST(SeamsIcons, EveryCommandHasAPicture)
{
    for (int index : {0, 1, 2, 3, 4, 6, 7, 8, 9, 11, 12}) {
        EXPECT_FALSE(CommandIcon(index).pixmap(16, 16).isNull()) << index;
        EXPECT_FALSE(DrawnCommandIcon(index).pixmap(16, 16).isNull()) << index;
    }
    EXPECT_FALSE(ProgramIcon().pixmap(64, 64).isNull());
    EXPECT_FALSE(HelpBookIcon().pixmap(16, 16).isNull());
    EXPECT_FALSE(OpenFolderIcon().pixmap(16, 16).isNull());
}

TEST(SeamsErrorBox, EveryKindOfErrorGetsAMessage)
{
    TScriptedPrompts prompts;
    ReportError(&prompts, std::make_exception_ptr(QmError(QStringLiteral("Cannot open file \"a.qmreel1\"."))));
    ReportError(&prompts, std::make_exception_ptr(std::runtime_error("bad allocation")));
    ReportError(&prompts, std::make_exception_ptr(42));
    ReportError(&prompts, std::make_exception_ptr(TCancelled())); // what the user asked for: no box
    EXPECT_EQ(prompts.calls, (QStringList{QStringLiteral("error: Cannot open file \"a.qmreel1\"."), QStringLiteral("error: bad allocation"),
                                          QStringLiteral("error: An unexpected error occurred.")}));
}
