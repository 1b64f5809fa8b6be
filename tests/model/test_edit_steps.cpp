// The undo steps on the in-memory tree: each step leaves the gallery as its command
// does; undoing it gives back exactly the document and tree it found, and redoing it
// exactly the ones it left, twice over.
#include "Gallery.h"

#include "model/undo/EditSteps.h"

#include <QUndoStack>

#include <functional>

namespace {

// Everything a step may change.
struct State
{
    TItemArray items;
    TAppletData gallery;
    QString tree;

    bool operator==(const State &) const = default;
};

State Take(const Gallery &g)
{
    return {g.document.Items, g.document.AppletData, g.tree.Dump()};
}

void PrintTo(const State &state, std::ostream *os)
{
    *os << state.tree.toStdString();
}

using MakeStep = std::function<std::unique_ptr<TEditStep>(const TEditContext &)>;

// Does the step, then undoes and redoes it twice; returns the gallery after Do.
QString UndoRedo(Gallery &g, const MakeStep &make)
{
    TAppletAgent defaults;
    defaults.SetDefaults();
    g.document.AppletData = defaults.AppletData;
    const State before = Take(g);
    const TEditContext context{g.document, g.tree};
    std::unique_ptr<TEditStep> step = make(context);
    if (!step->Do())
        return QStringLiteral("(nothing)");
    const QString shape = g.Shape();
    const State after = Take(g);
    QUndoStack stack;
    stack.push(step.release());
    EXPECT_EQ(Take(g), after) << "the push did it again";
    for (int round = 0; round < 2; ++round) {
        stack.undo();
        EXPECT_EQ(Take(g), before);
        stack.redo();
        EXPECT_EQ(Take(g), after);
    }
    return shape;
}

} // namespace

TEST(EditSteps, UndoGivesBackExactlyWhatTheStepFoundAndRedoWhatItLeft)
{
    enum Kind { Insert, Delete, Up, Down, Import, Title, GalleryName };
    struct Case
    {
        const char *before;
        Kind kind;
        const char *node; // "*" is the root; a value's text for GalleryName
        const char *after;
    };
    const Case cases[] = {
        {"A B", Insert, "*", "A B Image"},
        {"A(A1) B", Insert, "A", "A(A1 Image) B"},
        {"A B C D", Delete, "B", "A C D"},
        {"A(A1 A2(X)) B", Delete, "A", "B"},
        {"A(A1(X)) B", Delete, "A1", "A B"},
        {"A B(B1(B2))", Delete, "B2", "A B(B1)"},
        {"A(A1) B(B1)", Delete, "B", "A(A1)"},
        {"A", Delete, "A", ""},
        {"A(A1 A2) B(B1)", Up, "B", "B(B1) A(A1 A2)"},
        {"A(A1 A2(X) A3) B", Down, "A2", "A(A1 A3 A2(X)) B"},
        {"A B", Down, "B", "(nothing)"},
        {"A(A1)", Import, "*", "A(A1) x.jpg y z.gif"},
        {"A(B C(C1))", Title, "C1", "A(B C(C1))"},
        {"A", GalleryName, "x", "A"},
        {"A", GalleryName, "slideshow1", "(nothing)"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.before) + " -> " + c.after);
        Gallery g(c.before);
        const QString after = UndoRedo(g, [&](const TEditContext &context) -> std::unique_ptr<TEditStep> {
            switch (c.kind) {
            case Insert:
                return InsertStep(context, g.Node(c.node));
            case Delete:
                return DeleteStep(context, g.Node(c.node));
            case Up:
                return MoveUpStep(context, g.Node(c.node));
            case Down:
                return MoveDownStep(context, g.Node(c.node));
            case Import:
                return ImportStep(context, {QStringLiteral("C:\\p\\x.jpg"), QStringLiteral("/p/y z.gif")}, QString());
            case Title: // HTitle, the sixth value of an item
                return ValueStep(context, QString(), {g.Node(c.node) - 1, 6}, QStringLiteral("new title"), 0);
            case GalleryName:
                return ValueStep(context, QString(), {-1, 1}, QLatin1String(c.node), 0);
            }
            return nullptr;
        });
        EXPECT_EQ(after, QLatin1String(c.after));
    }
}

TEST(EditSteps, DragAndDropMovesSubtreesAndRefusesTheirOwnInside)
{
    struct Case
    {
        const char *before;
        const char *node;
        const char *target; // "*" is the root
        TDropPlace place;
        const char *after; // nullptr: refused
    };
    const Case cases[] = {
        {"A B C D", "D", "A", TDropPlace::Before, "D A B C"},
        {"A B C D", "A", "C", TDropPlace::After, "B C A D"},
        {"A B C D", "A", "D", TDropPlace::After, "B C D A"},
        {"A(A1 A2) B", "B", "A1", TDropPlace::Before, "A(B A1 A2)"},
        // After a node with children: after its whole subtree, as its next sibling.
        {"A(A1(X)) B", "B", "A", TDropPlace::Before, "B A(A1(X))"},
        {"A(A1(X)) B C", "C", "A", TDropPlace::After, "A(A1(X)) C B"},
        {"A(A1(X)) B", "A1", "B", TDropPlace::Into, "A B(A1(X))"},
        {"A B(B1)", "A", "B", TDropPlace::Into, "B(B1 A)"},
        {"A(A1(X)) B", "X", "*", TDropPlace::Into, "A(A1) B X"},
        {"A(A1) B", "A1", "*", TDropPlace::Before, "A B A1"},
        // The last child of a parent going up a level keeps its place in the order.
        {"A(A1 A2) B", "A2", "A", TDropPlace::After, "A(A1) A2 B"},
        {"A B", "A", "B", TDropPlace::Before, "(nothing)"},
        {"A B", "B", "A", TDropPlace::After, "(nothing)"},
        {"A(A1) B", "A1", "A", TDropPlace::Into, "(nothing)"},
        {"A(A1(X)) B", "A", "A", TDropPlace::Into, nullptr},
        {"A(A1(X)) B", "A", "X", TDropPlace::Into, nullptr},
        {"A(A1(X)) B", "A", "A1", TDropPlace::Before, nullptr},
        {"A B", "*", "B", TDropPlace::After, nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.before) + ": " + c.node + " to " + c.target);
        Gallery g(c.before);
        const std::optional<TMoveTarget> target = DropTarget(g.tree, g.Node(c.node), g.Node(c.target), c.place);
        ASSERT_EQ(target.has_value(), c.after != nullptr);
        if (target) {
            EXPECT_EQ(UndoRedo(g, [&](const TEditContext &context) { return MoveStep(context, g.Node(c.node), *target); }),
                      QLatin1String(c.after));
        }
    }

    // The moves the tree refuses change nothing, in the document either.
    Gallery g("A(A1(X)) B");
    const State before = Take(g);
    EXPECT_THROW(MoveSubtreeTo(g.document, g.tree, 0, 2, -1), std::invalid_argument); // the root
    EXPECT_THROW(MoveSubtreeTo(g.document, g.tree, 1, 3, -1), std::invalid_argument); // into its own subtree
    EXPECT_THROW(MoveSubtreeTo(g.document, g.tree, 4, 0, 2), std::invalid_argument);  // before no child of the parent
    EXPECT_THROW(MoveSubtreeTo(g.document, g.tree, 4, 5, -1), std::out_of_range);
    EXPECT_EQ(Take(g), before);
}

TEST(EditSteps, TypingIntoOneValueMergesUntilTheSessionChanges)
{
    Gallery g("A");
    const TEditContext context{g.document, g.tree};
    QUndoStack stack;
    const auto type = [&](int position, const char *text, int session) {
        std::unique_ptr<TEditStep> step = ValueStep(context, QStringLiteral("Change"), {0, position}, QLatin1String(text), session);
        if (step->Do())
            stack.push(step.release());
    };
    const auto title = [&] { return g.document.Items[0].HTitle; };
    type(6, "a", 1);
    type(6, "ab", 1);
    type(6, "abc", 1);
    EXPECT_EQ(stack.count(), 1);
    type(7, "v", 1);    // another value
    type(6, "abcd", 2); // the focus moved in between
    EXPECT_EQ(stack.count(), 3);
    stack.undo();
    EXPECT_EQ(title(), QStringLiteral("abc"));
    stack.undo();
    stack.undo();
    EXPECT_EQ(title(), QString());
    EXPECT_EQ(g.document.Items[0].VTitle, QString());
    stack.redo();
    EXPECT_EQ(title(), QStringLiteral("abc"));

    // Typed and taken back again in one session: no step is left.
    stack.clear();
    type(6, "abcx", 3);
    type(6, "abc", 3);
    EXPECT_EQ(stack.count(), 0);
    EXPECT_EQ(title(), QStringLiteral("abc"));
}
