// The main window: tool bar, item tree, the tabbed parameter pane and the status
// area, with the window-wide editing state every command reads and writes.
#pragma once

#include "model/AppletAgent.h"
#include "model/Seams.h"
#include "model/undo/EditSteps.h"
#include "ui/DesignTree.h"
#include "ui/Prompts.h"
#include "ui/StatusProgress.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QSplitter;
class QStatusBar;
class QTabWidget;
class QToolBar;
class QToolButton;
class QUndoStack;
class TCheckGroupBox;
class TPreviewServer;
class TPicturePreview;
struct TPreviewFraming;
class TColorPanel;
class TfrmHelp;

// Publishing seam of the window: SaveAllFiles unless a test puts another in.
using TSaveAllFiles = std::function<bool(TAppletAgent &, const QString &outputFolder, const QString &fileName, IItemTree &, IProgress &)>;

// The command line as one path: every argument followed by one blank, then trimmed,
// so a path split at its blanks arrives whole.
QString JoinCommandLine(const QStringList &arguments);

class TMainForm : public QMainWindow, public IEditView
{
    Q_OBJECT

public:
    explicit TMainForm(IPrompts &prompts, QWidget *parent = nullptr);
    ~TMainForm() override;

    // ---- window-wide editing state
    std::unique_ptr<TAppletAgent> Document;
    bool Modified = false;
    QString ProjectFileName;
    QTreeWidgetItem *CurrentItemNode = nullptr;
    bool Loading = false;
    // No layout shown yet: the next UpdatePaneLayout lays the pane out whatever is selected.
    static constexpr int kNoPaneLayout = -2009;
    int PaneLayoutIndex = kNoPaneLayout;
    int DescendantCount = 0;

    TSaveAllFiles SaveAll;

    TDesignTree *Tree() const { return trvwDesignPanel; }
    IProgress &Progress() { return *m_progress; }
    IPrompts &Prompts() { return m_prompts; }

    // ---- state routines (GUI.cpp)
    void MarkModified();
    // Clears Modified and disables Save.
    void ClearModified();
    void UpdateItemCommands();
    void UpdatePaneLayout();
    // The close query: whether the window may close.
    void FormCloseQuery(QObject *sender, bool &canClose);
    // Runs a handler; an error that escapes it is shown in the error box.
    void Guarded(const std::function<void()> &handler);

    // ---- undo and redo (GUIUndo.cpp)
    // Every change of document and tree is a step on this stack. Modified follows its
    // clean state whenever it moves: undoing back to what was last saved or opened
    // clears Modified. MarkModified still sets it for the commands that change nothing.
    QUndoStack *UndoStack() const { return m_undo; }
    TEditContext EditContext() { return {*Document, *trvwDesignPanel, this}; }
    // Does a step and keeps it for Undo when it changed something; `before` is the
    // selection to come back to (the present one unless given).
    void RunStep(std::unique_ptr<TEditStep> step);
    void RunStep(std::unique_ptr<TEditStep> step, const TSelection &before);
    // A value set by the user becomes a step named "Change " + `name`; the pane's
    // controls come here through their change signals, and so may values set another
    // way (a point chosen on the preview picture, say).
    void RecordValue(const TValueRef &value, const QString &text, const QString &name);
    TSelection Selection() const override;
    void Replay(const std::function<void()> &change, const TSelection &selection, const TValueRef *value) override;

    // ---- pane transfer (GUIPanes.cpp)
    void ReadAppletPane();
    void ShowAppletPane();
    void ReadItemPane(int index);
    void ShowItemPane(int index);

    // ---- the item tree (GUITreeCommands.cpp)
    // Shows the picture named by edtOriginalImagePath in imgPreview when that file
    // exists, and hides imgPreview otherwise. For a file that exists but cannot be
    // read as a picture, imgPreview shows why.
    void ShowImagePreview();
    // Adds the number of the node's descendants (children, grandchildren, ...) to DescendantCount.
    void CountDescendants(QTreeWidgetItem *node);

    // ---- batch import (GUIBatchImport.cpp)
    // Files dropped on the tree: the pictures among them become items as a batch
    // import of them would make them; the others are named in one information box.
    void DropPictureFiles(const QStringList &paths);

    // True while a long operation runs (a save, a preview, an opening, an import):
    // the commands refuse to start meanwhile.
    bool Busy() const { return m_progress->Running(); }

    // ---- opening (GUIFileCommands.cpp)
    // Opens the project at `path` (nothing for an empty path). After a failed or
    // refused load the window holds the empty project, in step with its tree.
    void OpenProjectFile(const QString &path);
    // Start-up with a path from the command line: Modified cleared, errors unreported.
    void OpenCommandLineProject(const QString &path);

    // ---- preview (GUIPreview.cpp)
    // The window's loopback web server, made on first use and stopped with the window.
    // The preview folder is published on it as "preview"; other folders may be added.
    TPreviewServer &PreviewServer();

public Q_SLOTS:
    // GUI.cpp: start, exit, view
    void FormCreate();
    void Exit1Click();
    void ToolBar1Click();
    void StatusBar2Click();
    // GUIFileCommands.cpp
    void New1Click();
    void Open1Click();
    void Save1Click();
    void Save2Click();
    void RecentFileClick();
    // GUIUndo.cpp
    void Undo1Click();
    void Redo1Click();
    // GUITreeCommands.cpp
    void trvwDesignPanelChange();
    void trvwDesignPanelMouseDown();
    void Insert1Click();
    void Delete1Click();
    void MoveUp1Click();
    void MoveDown1Click();
    // A node dragged in the tree and dropped at `place` of the node `target`.
    void trvwDesignPanelDragDrop(int node, int target, TDropPlace place);
    // GUIBatchImport.cpp
    void btnBatchImportImgsClick();
    // GUIPreview.cpp
    void Preview1Click();
    // GUIPanes.cpp
    void spnedtApWidthChange();
    // The guard of a text field: a text holding the project file's separator is refused.
    void CheckSeparatorFree(QWidget *control);
    void pnlApBgClrClick();
    void spdbtnItemImageNormalClick();
    void spdbtnItURLClick();
    // The focal point chosen on imgPreview: one step per click, key moves go on with it.
    void imgPreviewFocalPointChange(bool startsStep);
    void btnCentreFocalPointClick();
    // GUIHelp.cpp
    void SpeedButton1Click();
    void Topic1Click();
    void ViewSample1Click();
    void Homepage1Click();
    void ContactUs1Click();
    void About1Click();

    // The window has no pop-up of its own over the menu bar: the tool bar is shown
    // and hidden only through View > Tool Bar, which keeps its check mark in step.
    QMenu *createPopupMenu() override { return nullptr; }

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // GUILayout.cpp
    void BuildActions();
    void BuildMenus();
    void BuildToolBar();
    void BuildTreePane();
    void BuildScriptSheet();
    void BuildItemSheet();
    void BuildPathSheet();
    void BuildStatusArea();
    // GUIBindings.cpp
    void ConnectHandlers();
    // GUIAccess.cpp: names for screen readers, the tab order of the sheets and the
    // window's keys (sheets by Ctrl+Tab, the tree's pop-up by the Menu key).
    void BuildKeyboardAccess();
    // The tree's pop-up menu at the selected node, as the keyboard opens it.
    void ShowTreePopup();
    // True when `event` is a key that opens the tree's pop-up; the pop-up is then open.
    bool TreePopupKey(QEvent *event);
    // The next (step 1) or previous (-1) visible sheet of the parameter pane, round the end.
    void ShowNextSheet(int step);
    // GUIBatchImport.cpp: files dragged from a file manager may be dropped on the tree.
    void AcceptPictureDrops();

    // GUI.cpp
    void ResetToEmptyProject();
    // The items the latest build published without their unreadable picture, in one error box.
    void ReportUnreadablePictures();
    // Working files of the run removed; a folder that cannot be reached leaves nothing to remove.
    void CleanupQuietly();
    // GUIFileCommands.cpp
    void LoadRecentFiles();
    void AddRecentFile(const QString &path);
    // "Save changes to files?" when Modified: false for Cancel; Yes saves first.
    bool AskToSave();
    // The opening sequence shared by Open, the recent files and the command line.
    void OpenProject(const QString &path);
    // The save dialog of a project: the chosen path, or empty when dismissed. Asks
    // before a save would replace an existing project file.
    QString ChooseProjectFile(const QString &initialFolder);
    // Publishes the project as `path` (SaveAll) as a long operation the user may
    // cancel (TCancelled), then names the pictures it could not read.
    bool SaveProjectAs(const QString &path);
    // GUIBatchImport.cpp: appends the files that look like pictures as items, in one
    // undo step called `step`, and names the others in one box. The check is a long
    // operation; cancelled, it adds nothing. With `keepMissing` a path naming no file
    // becomes an item all the same.
    QStringList ImportPictures(const QStringList &paths, bool keepMissing, const QString &step);
    // GUIPanes.cpp: pane values into the document, as Save does.
    void TakePaneValues();
    // The colour dialog on a swatch; a confirmed colour becomes the swatch's.
    void PickPanelColor(TColorPanel *panel);
    // The hint line follows the mouse over the controls with a hint line (the event filter).
    void spnedtApWidthMouseMove(QObject *sender);
    // The gallery's values as the preview's frames need them.
    TPreviewFraming PreviewFraming() const;
    // GUIHelp.cpp: the help window, made hidden once the window stands.
    void CreateHelpWindow();
    // GUIUndo.cpp
    // The pane control of a catalogued value changed: gallery values at `position`,
    // or the shown item's. Nothing while the pane is being filled from the document.
    // `owner`: TValueRef::kGallery, kGalleryExtra or kShownItem.
    void RecordPaneValue(int owner, int position, int mode, const QWidget *control);
    // The index of the item the item pane shows, or -1.
    int ShownItem() const;
    // Modified following the stack, Undo and Redo bound, the typing sessions counted,
    // and Ctrl+Z and the redo keys taken from the pane's fields for the stack.
    void ConnectUndo();

    IPrompts &m_prompts;
    std::unique_ptr<TStatusProgress> m_progress;
    TPreviewServer *m_previewServer = nullptr; // a child of the window
    QUndoStack *m_undo = nullptr;              // a child of the window
    // Steps of one value merge while this stays: it counts changes of the focus and
    // of the selected node.
    int m_typingSession = 0;
    // Set while the panes show values from the document, which are no user's changes.
    bool m_fillingPane = false;

public:
    // ---- controls, by their names
    QToolBar *tlbr1 = nullptr;
    QPushButton *btnBatchImportImgs = nullptr;
    QToolButton *tlbtnNew = nullptr, *tlbtnOpen = nullptr, *tlbtnSave = nullptr, *tlbtnInsert = nullptr, *tlbtnDelete = nullptr,
                *tlbtnMoveUp = nullptr, *tlbtnMoveDown = nullptr, *tlbtnPreview = nullptr, *tlbtnHelp = nullptr;
    QToolButton *tlbtnUndo = nullptr, *tlbtnRedo = nullptr;
    QWidget *pnlTreeView = nullptr;
    TDesignTree *trvwDesignPanel = nullptr;
    QSplitter *Splitter1 = nullptr;
    QTabWidget *pgcntrl1 = nullptr;
    QWidget *tbshtScript = nullptr, *tbshtItemGeneral = nullptr, *tbshtPath = nullptr;
    TCheckGroupBox *CheckGroupBox_AutoPlay = nullptr, *CheckGroupBox1 = nullptr;
    TPicturePreview *imgPreview = nullptr;
    QPushButton *btnCentreFocalPoint = nullptr;
    QStatusBar *StatusBar1 = nullptr;
    QLabel *stctxtHint = nullptr;
    QProgressBar *prgrsbrMainFormBottom = nullptr;
    // The help window, a tool window of its own that lives as long as this one.
    TfrmHelp *frmHelp = nullptr;
    QMenu *PopupMenu1 = nullptr, *mnitRecentFiles = nullptr;
    QAction *New1 = nullptr, *Open1 = nullptr, *Save1 = nullptr, *Save2 = nullptr, *Exit1 = nullptr, *ToolBar1 = nullptr,
            *StatusBar2 = nullptr, *Insert2 = nullptr, *Delete2 = nullptr, *MoveUp2 = nullptr, *MoveDown2 = nullptr, *Preview1 = nullptr,
            *Topic1 = nullptr, *ViewSample1 = nullptr, *Homepage1 = nullptr, *ContactUs1 = nullptr, *About1 = nullptr;
    QAction *Insert1 = nullptr, *Delete1 = nullptr, *MoveUp1 = nullptr, *MoveDown1 = nullptr;
    QAction *Undo1 = nullptr, *Redo1 = nullptr;
};
