// The tree commands on the in-memory tree: each must leave item i at node i + 1
// with the node's depth minus one as its Level.
#include "ErrorOf.h"
#include "Gallery.h"
#include "model/AppletAgent.h"
#include "model/MemorySeams.h"
#include "model/TextUtils.h"
#include "model/TreeEdits.h"

#include <gtest/gtest.h>

#include <random>

namespace {

enum class Command { Insert, Delete, MoveUp, MoveDown };

int Apply(Gallery &g, Command command, int node)
{
    switch (command) {
    case Command::Insert:
        return InsertChildItem(g.document, g.tree, node);
    case Command::Delete:
        return DeleteSubtree(g.document, g.tree, node);
    case Command::MoveUp:
        return MoveSubtreeUp(g.document, g.tree, node);
    case Command::MoveDown:
        return MoveSubtreeDown(g.document, g.tree, node);
    }
    return 0;
}

QString Paths(const TAppletAgent &doc)
{
    QStringList out;
    for (const TItemData &item : doc.Items)
        out << item.OriginalImagePath;
    return out.join(QLatin1Char(' '));
}

} // namespace

TEST(TreeEditsCommands, KeepItemsAtTheirNodes)
{
    // result: Insert the new node's index, Delete the items removed, the moves the
    // node's new index or -1.
    struct Case
    {
        const char *before;
        Command command;
        const char *node;
        const char *after;
        int result;
    };
    const Case cases[] = {
        {"A B C", Command::Insert, "*", "A B C Image", 4},
        {"", Command::Insert, "*", "Image", 1},
        {"A(A1) B", Command::Insert, "A", "A(A1 Image) B", 3},
        {"A(A1(X))", Command::Insert, "X", "A(A1(X(Image)))", 4},
        {"A B C D", Command::Delete, "B", "A C D", 1},
        {"A(A1 A2) B", Command::Delete, "A", "B", 3},
        {"A B(B1(B2))", Command::Delete, "B2", "A B(B1)", 1}, // the last node of the tree
        {"A B(B1(B2))", Command::Delete, "B", "A", 3},
        {"A(A1(X)) B", Command::Delete, "A1", "A B", 2}, // the run ends at the parent's sibling
        {"A", Command::Delete, "A", "", 1},
        {"A B C D", Command::MoveUp, "C", "A C B D", 2},
        {"A B C D", Command::MoveDown, "A", "B A C D", 2},
        {"A(A1 A2) B", Command::MoveUp, "B", "B A(A1 A2)", 1},
        {"A(A1 A2) B(B1)", Command::MoveUp, "B", "B(B1) A(A1 A2)", 1},
        {"A(A1 A2(X) A3) B", Command::MoveUp, "A3", "A(A1 A3 A2(X)) B", 3},
        {"A(A1 A2(X) A3) B", Command::MoveDown, "A1", "A(A2(X) A1 A3) B", 4},
        {"A(A1 A2(X) A3) B", Command::MoveUp, "A2", "A(A2(X) A1 A3) B", 2},
        // No sibling to pass, also where a node of another parent is next in order.
        {"A B", Command::MoveDown, "B", "A B", -1},
        {"A B", Command::MoveUp, "A", "A B", -1},
        {"A(A1 A2) B", Command::MoveUp, "A1", "A(A1 A2) B", -1},
        {"A(A1 A2) B", Command::MoveDown, "A2", "A(A1 A2) B", -1},
        {"A B", Command::MoveUp, "*", "A B", -1},
    };
    for (const Case &c : cases) {
        Gallery g(c.before);
        const QString before = g.Shape();
        const int node = g.Node(c.node);
        SCOPED_TRACE(std::string(c.before) + " / " + std::to_string(int(c.command)) + " " + c.node);
        EXPECT_EQ(Apply(g, c.command, node), c.result);
        EXPECT_EQ(g.Shape(), QLatin1String(c.after));
        if (c.command == Command::MoveUp || c.command == Command::MoveDown) {
            // The moved node is where the result says, and moving it back restores all.
            if (c.result < 0)
                continue;
            EXPECT_EQ(g.tree.Caption(c.result), QLatin1String(c.node));
            Apply(g, c.command == Command::MoveUp ? Command::MoveDown : Command::MoveUp, c.result);
            EXPECT_EQ(g.Shape(), before);
        }
    }
}

TEST(TreeEditsCommands, InsertGivesAnEmptyItemAtTheEnd)
{
    Gallery g("A B C");
    EXPECT_EQ(InsertChildItem(g.document, g.tree, 0), 4);
    ASSERT_EQ(g.document.Items.size(), 4u);
    EXPECT_EQ(TAppletAgent::ItemToStrings(g.document.Items[3]),
              (QStringList{{}, {}, {}, {}, QStringLiteral("_self"), {}, {}, QStringLiteral("0"), {}, {}, {}}));
    EXPECT_EQ(Paths(g.document), QStringLiteral("A B C "));
}

TEST(TreeEditsCommands, RefusalsChangeNothing)
{
    Gallery g("A(A1) B");
    EXPECT_EQ(ErrorOf([&] { DeleteSubtree(g.document, g.tree, 0); }), QLatin1String(kRootDeleteMessage));
    for (const Command command : {Command::Insert, Command::Delete, Command::MoveUp, Command::MoveDown}) {
        EXPECT_THROW(Apply(g, command, 4), std::out_of_range);
        EXPECT_THROW(Apply(g, command, -1), std::out_of_range);
    }
    EXPECT_EQ(g.Shape(), QStringLiteral("A(A1) B"));

    // A document whose items no longer line up with the tree is never edited.
    g.document.Items.pop_back();
    const QString expected = QStringLiteral("The item list (2 items) does not match the item tree (3 items). Nothing was changed.");
    for (const Command command : {Command::Insert, Command::Delete, Command::MoveUp, Command::MoveDown})
        EXPECT_EQ(ErrorOf([&] { Apply(g, command, 1); }), expected);
    EXPECT_EQ(ErrorOf([&] { AppendImportedItems(g.document, g.tree, {QStringLiteral("x.jpg")}); }), expected);
    EXPECT_EQ(g.tree.NodeCount(), 4);
    EXPECT_EQ(Paths(g.document), QStringLiteral("A A1"));
}

TEST(TreeEditsCommands, ItemsStayWithTheirNodesThroughAnyMix)
{
    // Any sequence of commands keeps each item at its own node (checked by Shape).
    Gallery g("A(A1 A2(X)) B C(C1)");
    std::mt19937 random(2009);
    int named = 0;
    for (int step = 0; step < 400; ++step) {
        const int nodes = g.tree.NodeCount();
        const int node = int(random() % unsigned(nodes));
        switch (random() % 5) {
        case 0: {
            // Inserted items get a picture of their own so that each is told apart.
            TItemData item = TAppletAgent::NewItem();
            item.OriginalImagePath = QStringLiteral("n%1").arg(named++);
            AddChildItem(g.document, g.tree, node, item, item.OriginalImagePath);
            break;
        }
        case 1:
            if (node > 0 && nodes > 6)
                DeleteSubtree(g.document, g.tree, node);
            break;
        case 2:
        case 3:
            MoveSubtreeUp(g.document, g.tree, node);
            break;
        default:
            MoveSubtreeDown(g.document, g.tree, node);
        }
        g.Shape();
        if (::testing::Test::HasFailure())
            FAIL() << "after step " << step << "\n" << qPrintable(g.tree.Dump());
    }
}

TEST(TreeEditsImport, AppendsOneItemPerPictureUnderTheRoot)
{
    struct Case
    {
        const char *before;
        QStringList paths;
        const char *after;
    };
    const Case cases[] = {
        {"",
         {QStringLiteral("C:\\pics\\b.jpg"), QStringLiteral("C:\\pics\\a.gif"), QStringLiteral("C:\\pics\\c.bmp")},
         "b.jpg a.gif c.bmp"},
        // After a nested last node the new items still go under the root.
        {"A(A1(X))",
         {QStringLiteral("D:\\photos\\my.beach photo.jpg"), QStringLiteral("/home/u/x.y z.JPG")},
         "A(A1(X)) my.beach photo.jpg x.y z.JPG"},
        {"A B", {}, "A B"},
    };
    for (const Case &c : cases) {
        Gallery g(c.before);
        const size_t existing = g.document.Items.size();
        AppendImportedItems(g.document, g.tree, c.paths);
        EXPECT_EQ(g.Shape(), QLatin1String(c.after));
        ASSERT_EQ(g.document.Items.size(), existing + size_t(c.paths.size()));
        for (qsizetype i = 0; i < c.paths.size(); ++i) {
            TItemData expected = TAppletAgent::NewItem();
            expected.OriginalImagePath = c.paths[i];
            expected.Level = QStringLiteral("0");
            EXPECT_EQ(g.document.Items[existing + size_t(i)], expected) << i;
        }
    }
}

TEST(TreeEditsLevels, RefreshFromTheTreeAsFarAsBothReach)
{
    Gallery g("A(A1(X)) B");
    for (TItemData &item : g.document.Items)
        item.Level = QStringLiteral("7");
    RefreshLevels(g.document, g.tree);
    EXPECT_EQ(g.Shape(), QStringLiteral("A(A1(X)) B"));
    // An item without a node keeps its level.
    g.document.Items.resize(5);
    g.document.Items[4].Level = QStringLiteral("5");
    RefreshLevels(g.document, g.tree);
    EXPECT_EQ(g.document.Items[4].Level, QStringLiteral("5"));
}

// `count` items all under the root, or each one below the one before.
TItemArray Chain(int count, bool nested)
{
    TItemArray items(size_t(count), TAppletAgent::NewItem());
    for (int i = 0; i < count; ++i)
        items[size_t(i)].Level = QString::number(nested ? i : 0);
    return items;
}

TEST(TreeEditsSize, PerNodeQuestionsAndAddingAtTheEndTakeNoWalkFlatOrNested)
{
    constexpr int n = 10000;
    for (const bool nested : {false, true}) {
        SCOPED_TRACE(nested ? "nested" : "flat");
        TAppletAgent document;
        document.Items = Chain(n, nested);
        MemoryItemTree tree;
        TAppletAgent::RebuildTree(document.Items, tree);
        // What the editor and the publisher ask about every node.
        int wrong = 0;
        for (int k = 1; k <= n; ++k) {
            const bool right = nested ? tree.Depth(k) == k && tree.Parent(k) == k - 1 && tree.SubtreeSize(k) == n + 1 - k &&
                                            tree.PreviousSibling(k) == -1 && tree.NextSibling(k) == -1
                                      : tree.Depth(k) == 1 && tree.Parent(k) == 0 && tree.SubtreeSize(k) == 1 &&
                                            tree.PreviousSibling(k) == (k > 1 ? k - 1 : -1) && tree.NextSibling(k) == (k < n ? k + 1 : -1);
            wrong += right ? 0 : 1;
        }
        EXPECT_EQ(wrong, 0);
        RefreshLevels(document, tree);
        InsertChildItem(document, tree, n);
        AppendImportedItems(document, tree, {QStringLiteral("last.jpg")});
        EXPECT_EQ(tree.Depth(n + 1), nested ? n + 1 : 2);
        EXPECT_EQ(tree.Parent(n + 2), 0);
        EXPECT_EQ(tree.SubtreeSize(0), n + 3);
        // Building, asking and adding look at each node a few times, never once per question.
        EXPECT_LE(tree.NodeVisits(), 4 * n);
    }
}

TEST(TreeEditsBlocks, FlatDownIsTheNextOneUp)
{
    Gallery g("A B C D");
    // A down past B: B's block (1 item at index 1) goes up past A's block of 1.
    MoveBlockUp(g.document, 1, 1, 1);
    EXPECT_EQ(Paths(g.document), QStringLiteral("B A C D"));
}

TEST(TreeEditsBlocks, SubtreeBlocksKeepTheirInnerOrder)
{
    // A with children A1, A2, then its sibling B with child B1.
    Gallery g("A(A1 A2) B(B1)");
    // Move B up: B's block (index 3, 2 items) past A's block of 3 items.
    MoveBlockUp(g.document, 3, 2, 3);
    EXPECT_EQ(Paths(g.document), QStringLiteral("B B1 A A1 A2"));
    // And down again: A's block (index 2, 3 items) up past B's block of 2.
    MoveBlockUp(g.document, 2, 3, 2);
    EXPECT_EQ(Paths(g.document), QStringLiteral("A A1 A2 B B1"));
}

TEST(TreeEditsBlocks, SameAsOneExchangeAtATime)
{
    // Every block, also one reaching past either end of the list, ends as it would
    // by carrying each item up with MoveItemUp.
    for (int start = -2; start <= 7; ++start)
        for (int count = -1; count <= 6; ++count)
            for (int by = -1; by <= 6; ++by) {
                Gallery fast("A B C D E F");
                Gallery slow("A B C D E F");
                MoveBlockUp(fast.document, start, count, by);
                for (int k = 0; k < count; ++k)
                    for (int step = 0; step < by; ++step)
                        slow.document.MoveItemUp(start + k - step);
                EXPECT_EQ(Paths(fast.document), Paths(slow.document)) << start << " " << count << " " << by;
            }
}
