#include "UiFixture.h"

#include "model/MemorySeams.h"
#include "ui/Application.h"
#include "ui/DesignTree.h"
#include "ui/Icons.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>

TEST(DesignTree, AbsoluteIndexesArePreOrderLikeTheMemoryTree)
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

TEST(StatusProgress, ShowsStageAndProgressAndComesBackToRest)
{
    QProgressBar bar;
    QLabel hint;
    TStatusProgress progress(&bar, &hint);
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

TEST(Prompts, FiltersAndScriptedAnswers)
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

TEST(Icons, EveryCommandHasAPicture)
{
    for (int index : {0, 1, 2, 6, 7, 8, 9, 11, 12}) {
        EXPECT_FALSE(CommandIcon(index).pixmap(16, 16).isNull()) << index;
        EXPECT_FALSE(DrawnCommandIcon(index).pixmap(16, 16).isNull()) << index;
    }
    EXPECT_FALSE(ProgramIcon().pixmap(64, 64).isNull());
    EXPECT_FALSE(HelpBookIcon().pixmap(16, 16).isNull());
    EXPECT_FALSE(OpenFolderIcon().pixmap(16, 16).isNull());
}

TEST(ErrorBox, EveryKindOfErrorGetsAMessage)
{
    TScriptedPrompts prompts;
    ReportError(&prompts, std::make_exception_ptr(QmError(QStringLiteral("Cannot open file \"a.qmreel1\"."))));
    ReportError(&prompts, std::make_exception_ptr(std::runtime_error("bad allocation")));
    ReportError(&prompts, std::make_exception_ptr(42));
    EXPECT_EQ(prompts.calls, (QStringList{QStringLiteral("error: Cannot open file \"a.qmreel1\"."), QStringLiteral("error: bad allocation"),
                                          QStringLiteral("error: An unexpected error occurred.")}));
}
