// The main window: its construction, the window-wide state routines, start-up and
// the close query. Layout, bindings and each family of commands live in the
// GUI*.cpp files beside this one.
#include "ui/GUI.h"

#include "model/Error.h"
#include "model/ItemCommandState.h"
#include "model/Product.h"
#include "platform/DocumentType.h"
#include "publish/Driver.h"
#include "publish/WorkingFiles.h"
#include "ui/Application.h"
#include "ui/GUIShared.h"
#include "ui/Icons.h"
#include "ui/StatusProgress.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>

QString JoinCommandLine(const QStringList &arguments)
{
    QString path;
    for (const QString &argument : arguments)
        path += argument + QLatin1Char(' ');
    return path.trimmed();
}

// ---------------------------------------------------------------- window

TMainForm::TMainForm(IPrompts &prompts, QWidget *parent) : QMainWindow(parent), SaveAll(SaveAllFiles), m_prompts(prompts)
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowIcon(ProgramIcon());

    BuildActions();
    BuildMenus();
    BuildToolBar();
    BuildTreePane();

    pgcntrl1 = new QTabWidget;
    pgcntrl1->setObjectName(QStringLiteral("pgcntrl1"));
    pgcntrl1->setMinimumSize(433, 420);
    BuildScriptSheet();
    BuildItemSheet();
    BuildPathSheet();

    Splitter1 = new QSplitter(Qt::Horizontal);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setHandleWidth(5);
    Splitter1->setChildrenCollapsible(false);
    Splitter1->addWidget(pnlTreeView);
    Splitter1->addWidget(pgcntrl1);
    // The tree pane keeps its width when the window changes size.
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({408, 956 - 408 - 5});
    setCentralWidget(Splitter1);

    BuildStatusArea();
    ConnectHandlers();
    ConnectUndo();
    BuildKeyboardAccess();

    // Client area 956 x 617 below the menu bar, centred on the screen.
    resize(956, 617 + menuBar()->sizeHint().height());
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }

    m_progress = std::make_unique<TStatusProgress>(prgrsbrMainFormBottom, stctxtHint, this);
    FormCreate();
    CreateHelpWindow();
}

TMainForm::~TMainForm()
{
    // The stack empties itself as it goes, and the focus leaves the closing window:
    // the window, half gone, no longer listens.
    disconnect(m_undo, nullptr, this, nullptr);
    disconnect(qApp, nullptr, this, nullptr);
}

// ---------------------------------------------------------------- errors

void TMainForm::Guarded(const std::function<void()> &handler)
{
    try {
        handler();
    } catch (...) {
        ReportError(&m_prompts, std::current_exception());
    }
}

void TMainForm::ReportUnreadablePictures()
{
    QStringList lines;
    for (const TUnreadablePicture &picture : Document->UnreadablePictures)
        lines << QStringLiteral("Item %1, %2: %3").arg(picture.Item + 1).arg(ExtractFileName(picture.Path), picture.Reason);
    if (!lines.isEmpty())
        m_prompts.Error(QStringLiteral("These items were published without a picture, because their picture cannot be read:\n\n") +
                        AtMostTenLines(lines));
}

// ---------------------------------------------------------------- state

void TMainForm::MarkModified()
{
    Modified = true;
    Save1->setEnabled(true);
    tlbtnSave->setEnabled(true);
}

void TMainForm::ClearModified()
{
    // What the document holds now is what was saved or opened.
    m_undo->setClean();
    Modified = false;
    Save1->setEnabled(false);
    tlbtnSave->setEnabled(false);
}

void TMainForm::UpdateItemCommands()
{
    const int selected = trvwDesignPanel->SelectedIndex();
    const bool hasPrevious = selected >= 0 && trvwDesignPanel->PreviousSibling(selected) >= 0;
    const bool hasNext = selected >= 0 && trvwDesignPanel->NextSibling(selected) >= 0;
    const TItemCommandState state = ItemCommandState(selected, hasPrevious, hasNext);
    // The pop-up item, the Item menu item and the tool button of a command are one.
    const auto apply = [](bool enabled, std::initializer_list<QObject *> controls) {
        for (QObject *control : controls) {
            if (auto *action = qobject_cast<QAction *>(control))
                action->setEnabled(enabled);
            else if (auto *widget = qobject_cast<QWidget *>(control))
                widget->setEnabled(enabled);
        }
    };
    apply(state.insert, {Insert1, Insert2, tlbtnInsert});
    apply(state.remove, {Delete1, Delete2, tlbtnDelete});
    apply(state.moveUp, {MoveUp1, MoveUp2, tlbtnMoveUp});
    apply(state.moveDown, {MoveDown1, MoveDown2, tlbtnMoveDown});
    apply(state.batchImport, {btnBatchImportImgs});

    UpdatePaneLayout();
}

void TMainForm::UpdatePaneLayout()
{
    const int s = trvwDesignPanel->SelectedIndex();
    const int p = PaneLayoutIndex;
    if (p != kNoPaneLayout && (s == p || (s > 0 && p > 0)))
        return;
    const int script = pgcntrl1->indexOf(tbshtScript);
    const int item = pgcntrl1->indexOf(tbshtItemGeneral);
    const int path = pgcntrl1->indexOf(tbshtPath);
    if (s == 0) {
        pgcntrl1->setTabVisible(script, true);
        pgcntrl1->setTabVisible(path, true);
        pgcntrl1->setCurrentIndex(script);
        pgcntrl1->setTabVisible(item, false);
    } else if (s > 0) {
        pgcntrl1->setTabVisible(item, true);
        pgcntrl1->setCurrentIndex(item);
        pgcntrl1->setTabVisible(script, false);
        pgcntrl1->setTabVisible(path, false);
    }
    PaneLayoutIndex = s;
}

// ---------------------------------------------------------------- start-up

void TMainForm::FormCreate()
{
    Document = std::make_unique<TAppletAgent>();

    CurrentItemNode = nullptr;
    DescendantCount = 0;
    Loading = false;
    ProjectFileName.clear();

    trvwDesignPanel->ResetToRoot();
    trvwDesignPanel->setCurrentItem(trvwDesignPanel->Root());

    Document->SetDefaults();
    ShowAppletPane();

    setWindowTitle(ProductName());

    RegisterDocumentType();

    // Without its per-user folders the editor still comes up with the empty project;
    // the folders' message is shown once, here.
    try {
        LoadRecentFiles();
    } catch (const QmError &error) {
        m_prompts.Error(error.message());
    }

    ClearModified();

    PaneLayoutIndex = kNoPaneLayout;
    UpdatePaneLayout();
}

// ---------------------------------------------------------------- closing

void TMainForm::CleanupQuietly()
{
    try {
        CleanupWorkingFiles(*Document);
    } catch (const QmError &) {
        // No preview folder: no working files to remove.
    }
}

void TMainForm::FormCloseQuery(QObject *, bool &canClose)
{
    if (!Modified) {
        CleanupQuietly();
        return;
    }
    switch (m_prompts.Warning(QStringLiteral("Save changes to files before Exit?"), TWarningButtons::YesNoCancel)) {
    case TAnswer::Cancel:
        canClose = false;
        CleanupQuietly();
        return;
    case TAnswer::Yes:
        break;
    default:
        CleanupQuietly();
        return;
    }
    // Saving to the known file returns without the clean-up: the window closes anyway,
    // and the preview of what was just saved stays viewable until the next run clears it.
    if (!ProjectFileName.isEmpty()) {
        TakePaneValues();
        canClose = SaveProjectAs(ProjectFileName);
        return;
    }
    // Asks before replacing an existing project, so a slip cannot overwrite another one.
    const QString chosen = ChooseProjectFile(QString());
    if (!chosen.isEmpty()) {
        TakePaneValues();
        canClose = SaveProjectAs(chosen);
    } else {
        canClose = false;
    }
    CleanupQuietly();
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    // The operation's own Cancel stops it; the window stays until then.
    if (Busy()) {
        event->ignore();
        return;
    }
    bool canClose = true;
    try {
        FormCloseQuery(this, canClose);
    } catch (...) {
        // A failed save keeps the window, and the work in it, open.
        canClose = false;
        ReportError(&m_prompts, std::current_exception());
    }
    if (canClose)
        event->accept();
    else
        event->ignore();
}

void TMainForm::Exit1Click()
{
    close();
}

// ---------------------------------------------------------------- view

void TMainForm::ToolBar1Click()
{
    const bool on = !ToolBar1->isChecked();
    tlbr1->setVisible(on);
    ToolBar1->setChecked(on);
}

void TMainForm::StatusBar2Click()
{
    const bool on = !StatusBar2->isChecked();
    stctxtHint->setVisible(on);
    prgrsbrMainFormBottom->setVisible(on);
    StatusBar1->setVisible(on);
    StatusBar2->setChecked(on);
}
