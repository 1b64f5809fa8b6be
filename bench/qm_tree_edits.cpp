// qm-tree-edits [ITEMS [NAME]]: times the tree commands on the editor's tree widget
// (offscreen) holding ITEMS top-level items (default 10,000): Delete and Move Up
// of a selected top-level item, Move Up of a top-level item with half the items
// below it, and a batch import of 1,000 pictures. Then the undo steps: Do, Undo and
// Redo of Delete, Move Up and a drag, in the flat project and in a nested one
// (chains ten levels deep under the root), and the memory the undo stack holds after
// 1,000 steps of each kind. Each time is the best of five runs in milliseconds.
// With NAME, only the figures whose name holds it.
#include "model/AppletAgent.h"
#include "model/TreeEdits.h"
#include "model/undo/EditSteps.h"
#include "ui/DesignTree.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <QUndoStack>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <malloc.h>
#include <memory>

namespace {

struct Editor
{
    TAppletAgent document;
    std::unique_ptr<TDesignTree> tree = std::make_unique<TDesignTree>();
    int heard = 0; // what a selection handler does: find the selected node
    QUndoStack stack;

    TEditContext Context() { return {document, *tree}; }
    void Run(std::unique_ptr<TEditStep> step)
    {
        if (step->Do())
            stack.push(step.release());
    }
};

// `levels` gives each item's Level; the tree is shown and expanded like the editor's.
std::unique_ptr<Editor> MakeEditor(int count, const std::function<int(int)> &levels)
{
    auto editor = std::make_unique<Editor>();
    for (int i = 0; i < count; ++i) {
        TItemData item = TAppletAgent::NewItem();
        item.OriginalImagePath = QStringLiteral("C:\\pictures\\picture %1.jpg").arg(i);
        item.Level = QString::number(levels(i));
        editor->document.Items.push_back(item);
    }
    TDesignTree &tree = *editor->tree;
    tree.resize(240, 480);
    tree.ResetToRoot();
    TAppletAgent::RebuildTree(editor->document.Items, tree);
    tree.expandAll();
    tree.show();
    QObject::connect(&tree, &QTreeWidget::currentItemChanged, &tree,
                     [e = editor.get()](QTreeWidgetItem *current) { e->heard += e->tree->AbsoluteIndex(current); });
    QApplication::processEvents();
    return editor;
}

// Processor time of this thread in milliseconds: on a busy machine the wall clock
// says more about the other programs than about the command.
double ThreadMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// Runs `command` five times, each on a fresh editor with the node at `selected`
// selected; prints the best of the five, in processor and in wall-clock time, for
// the command alone and for the command followed by a repaint of the tree.
QString g_only; // the second argument: only the figures whose name holds it

// `prepare` runs on each fresh editor before the clock starts.
void Time(const char *name, int count, const std::function<int(int)> &levels, int selected, const std::function<void(Editor &)> &command,
          const std::function<void(Editor &)> &prepare = {})
{
    if (!QString::fromLatin1(name).contains(g_only, Qt::CaseInsensitive))
        return;
    double cpu = 1e9, wall = 1e9, cpuShown = 1e9, wallShown = 1e9;
    for (int run = 0; run < 5; ++run) {
        const std::unique_ptr<Editor> editor = MakeEditor(count, levels);
        editor->tree->setCurrentItem(editor->tree->NodeAt(selected));
        if (prepare)
            prepare(*editor);
        QApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        const double start = ThreadMs();
        command(*editor);
        cpu = std::min(cpu, ThreadMs() - start);
        wall = std::min(wall, double(timer.nsecsElapsed()) / 1e6);
        editor->tree->viewport()->repaint();
        QApplication::processEvents();
        cpuShown = std::min(cpuShown, ThreadMs() - start);
        wallShown = std::min(wallShown, double(timer.nsecsElapsed()) / 1e6);
    }
    std::printf("%-58s %7.2f ms (%7.2f wall)   with repaint %7.2f ms (%7.2f wall)\n", name, cpu, wall, cpuShown, wallShown);
}

using MakeStep = std::function<std::unique_ptr<TEditStep>(Editor &)>;

// Do, Undo and Redo of one step, each on its own fresh editor.
void TimeStep(const QString &name, int count, const std::function<int(int)> &levels, const MakeStep &make)
{
    const auto run = [&](Editor &e) { e.Run(make(e)); };
    Time(qPrintable(QStringLiteral("Do   ") + name), count, levels, 0, run);
    Time(
        qPrintable(QStringLiteral("Undo ") + name), count, levels, 0, [](Editor &e) { e.stack.undo(); }, run);
    Time(
        qPrintable(QStringLiteral("Redo ") + name), count, levels, 0, [](Editor &e) { e.stack.redo(); },
        [&](Editor &e) {
            run(e);
            e.stack.undo();
        });
}

// The heap the undo stack holds after `steps` steps made by `make` (given the step's
// number), as what emptying the stack gives back.
void StackMemory(const char *name, int count, const std::function<std::unique_ptr<TEditStep>(Editor &, int)> &make, int steps = 1000)
{
    if (!QString::fromLatin1(name).contains(g_only, Qt::CaseInsensitive))
        return;
    const std::unique_ptr<Editor> editor = MakeEditor(count, [](int) { return 0; });
    for (int k = 0; k < steps; ++k)
        editor->Run(make(*editor, k));
    malloc_trim(0);
    const size_t held = mallinfo2().uordblks;
    const int kept = editor->stack.count();
    editor->stack.clear();
    const size_t freed = held - mallinfo2().uordblks;
    std::printf("%-58s %7.1f KiB for %d steps (%5.0f bytes a step)\n", name, double(freed) / 1024, kept, double(freed) / std::max(kept, 1));
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::max(4, std::atoi(argv[1])) : 10000;
    if (argc > 2)
        g_only = QString::fromLocal8Bit(argv[2]);
    const auto flat = [](int) { return 0; };
    // Two top-level items, each with half the items below it.
    const auto halves = [count](int i) { return i == 0 || i == count / 2 ? 0 : 1; };
    const int middle = count / 2 + 1;
    std::printf("%d items\n", count);

    const auto remove = [](Editor &e) { DeleteSubtree(e.document, *e.tree, e.tree->SelectedIndex()); };
    const auto moveUp = [](Editor &e) { MoveSubtreeUp(e.document, *e.tree, e.tree->SelectedIndex()); };
    Time("Delete a selected top-level item in the middle", count, flat, middle, remove);
    Time("Move Up a selected top-level item in the middle", count, flat, middle, moveUp);
    Time("Move Up a selected top-level item holding half the items", count, halves, middle, moveUp);
    QStringList pictures;
    for (int i = 0; i < 1000; ++i)
        pictures << QStringLiteral("C:\\pictures\\imported %1.jpg").arg(i);
    Time("Import 1,000 pictures", count, flat, 0, [&](Editor &e) {
        AppendImportedItems(e.document, *e.tree, pictures);
        e.tree->Root()->setExpanded(true);
    });

    // The undo steps. Nested: item i at level i % 10, chains ten deep below the root.
    const auto nested = [](int i) { return i % 10; };
    const int leaf = count / 2 / 10 * 10 + 10; // the deepest node of a chain in the middle
    for (const auto &[shape, levels] : {std::pair{"flat", std::function<int(int)>(flat)}, {"nested", nested}}) {
        const bool isFlat = QLatin1String(shape) == QLatin1String("flat");
        const int single = isFlat ? middle : leaf;  // a node without children
        const int top = isFlat ? middle : leaf - 9; // a top-level node, in the nested project with its chain of ten
        TimeStep(QStringLiteral("Delete one item, %1").arg(QLatin1String(shape)), count, levels,
                 [=](Editor &e) { return DeleteStep(e.Context(), single); });
        TimeStep(QStringLiteral("Move Up a top-level item, %1").arg(QLatin1String(shape)), count, levels,
                 [=](Editor &e) { return MoveUpStep(e.Context(), top); });
        // Dragged into the first top-level item (flat), out of its chain to the end of
        // the root's children (nested): its depth changes either way.
        TimeStep(QStringLiteral("Drag one item to another parent, %1").arg(QLatin1String(shape)), count, levels, [=](Editor &e) {
            return MoveStep(e.Context(), single, isFlat ? TMoveTarget{1, -1} : TMoveTarget{0, -1});
        });
    }

    StackMemory("Undo stack after 1,000 Deletes of one item", count, [&](Editor &e, int) { return DeleteStep(e.Context(), middle - 500); });
    StackMemory("Undo stack after 1,000 Move Ups", count, [&](Editor &e, int k) { return MoveUpStep(e.Context(), middle + k % 2); });
    StackMemory("Undo stack after 1,000 drags", count, [&](Editor &e, int k) {
        return MoveStep(e.Context(), middle + k, TMoveTarget{k % 2 ? 1 : 2, -1});
    });
    StackMemory("Undo stack after 1,000 typed titles", count, [&](Editor &e, int k) {
        return ValueStep(e.Context(), QStringLiteral("Change Title"), {k, 6}, QStringLiteral("A title typed for item %1").arg(k), k);
    });
    return 0;
}
