// The main window's layout: actions, menus, tool bar, the tree pane, the three
// sheets of the parameter pane and the status area, each control under its name.
#include "ui/GUI.h"

#include "model/Catalogue.h"
#include "platform/CheckGroupBox.h"
#include "ui/ColorPanel.h"
#include "ui/Icons.h"
#include "ui/PaneCodec.h"
#include "ui/PicturePreview.h"
#include "ui/SpeedButton.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QUndoStack>
#include <QVBoxLayout>

#include <tuple>

namespace {

const char *const kTreeHint = "Add, remove or move items by right-clicking the mouse.";

QFont Bold(QFont font)
{
    font.setBold(true);
    return font;
}

// A label; given the field it names, it is tied to it, so that the field is
// announced with the label's text (a swatch adds its colour to it).
QLabel *Label(const QString &text, QWidget *parent, bool bold = false, QWidget *field = nullptr)
{
    auto *label = new QLabel(text, parent);
    if (bold)
        label->setFont(Bold(label->font()));
    if (field) {
        label->setBuddy(field);
        if (auto *swatch = qobject_cast<TColorPanel *>(field))
            swatch->SetCaption(text);
    }
    return label;
}

// A field alone in its group is named after the group's caption.
template <typename Field> Field *NamedAs(Field *field, const QString &name)
{
    field->setAccessibleName(name);
    return field;
}

// A help button: the book in a group's corner. Its `Tag` names the help page it
// opens; all of them share one click handler, bound with the others.
QToolButton *HelpButton(QWidget *parent, const char *name, int tag)
{
    auto *help = new TSpeedButton(parent);
    help->setObjectName(QLatin1String(name));
    help->setProperty("Tag", tag);
    help->setAutoRaise(true);
    help->setIcon(HelpBookIcon());
    help->setFixedSize(22, 22);
    help->setToolTip(QStringLiteral("Help"));
    return help;
}

// A group of a parameter sheet: its contents on a grid, and the help button with
// its page number in the top-right corner (none for groups without help).
struct SheetGroup
{
    QGroupBox *box;
    QGridLayout *grid;
};

SheetGroup MakeGroup(QGroupBox *box, const char *name, int height, const char *helpName = nullptr, int helpTag = 0)
{
    box->setObjectName(QLatin1String(name));
    if (height > 0)
        box->setFixedHeight(height);
    auto *outer = new QHBoxLayout(box);
    outer->setContentsMargins(10, 6, 6, 6);
    outer->setSpacing(6);
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);
    outer->addLayout(grid, 1);
    if (helpName)
        outer->addWidget(HelpButton(box, helpName, helpTag), 0, Qt::AlignTop | Qt::AlignRight);
    return {box, grid};
}

QSpinBox *Spin(const char *name, QWidget *parent)
{
    auto *spin = new QSpinBox(parent);
    spin->setObjectName(QLatin1String(name));
    // Range from the catalogue, the one place it is written.
    if (const AppletParam *p = AppletParamOf(QLatin1String(name)))
        spin->setRange(p->minimum, p->maximum);
    spin->setMinimumWidth(72);
    return spin;
}

TColorPanel *Swatch(const char *name, QWidget *parent)
{
    auto *panel = new TColorPanel(parent);
    panel->setObjectName(QLatin1String(name));
    return panel;
}

QLineEdit *Edit(const char *name, QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    return edit;
}

// A browse button, named for screen readers after what it chooses.
QToolButton *Browse(const char *name, QWidget *parent, const QString &chooses)
{
    auto *button = new TSpeedButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setAccessibleName(chooses);
    button->setAutoRaise(true);
    button->setIcon(OpenFolderIcon());
    button->setFixedSize(22, 22);
    return button;
}

} // namespace

void TMainForm::BuildActions()
{
    auto make = [this](QAction *&action, const char *name, const QString &caption, const QString &hint, int image = -1,
                       const QKeySequence &shortcut = {}) {
        action = new QAction(caption, this);
        action->setObjectName(QLatin1String(name));
        action->setProperty("hint", hint);
        if (image >= 0)
            action->setIcon(CommandIcon(image));
        if (!shortcut.isEmpty())
            action->setShortcut(shortcut);
    };
    make(New1, "New1", QStringLiteral("&New..."), QStringLiteral("Create a new project"), 0, QKeySequence(Qt::CTRL | Qt::Key_N));
    make(Open1, "Open1", QStringLiteral("&Open..."), QStringLiteral("Open a previous saved project"), 1,
         QKeySequence(Qt::CTRL | Qt::Key_O));
    make(Save1, "Save1", QStringLiteral("&Save"), QStringLiteral("Save project"), 2, QKeySequence(Qt::CTRL | Qt::Key_S));
    make(Save2, "Save2", QStringLiteral("Save All Required Files &As..."), QStringLiteral("Save the project with a new name"));
    make(Exit1, "Exit1", QStringLiteral("E&xit"), QStringLiteral("Quit the application; Prompts to save applet"));
    make(ToolBar1, "ToolBar1", QStringLiteral("&Tool Bar"), QString());
    make(StatusBar2, "StatusBar2", QStringLiteral("&Status Bar"), QString());
    ToolBar1->setCheckable(true);
    ToolBar1->setChecked(true);
    StatusBar2->setCheckable(true);
    StatusBar2->setChecked(true);
    // The item commands' keys act only while the tree has the focus (BuildKeyboardAccess).
    const QKeySequence insertKey(Qt::Key_Insert), deleteKey(Qt::Key_Delete), upKey(Qt::ALT | Qt::Key_Up), downKey(Qt::ALT | Qt::Key_Down);
    make(Insert2, "Insert2", QStringLiteral("I&nsert"), QStringLiteral("Insert a new item as a child of selected item."), 6, insertKey);
    make(Delete2, "Delete2", QStringLiteral("&Delete"), QStringLiteral("Delete selected item and all its children item if it has."), 7,
         deleteKey);
    make(MoveUp2, "MoveUp2", QStringLiteral("Move &Up"), QStringLiteral("move the current selected item position up."), 8, upKey);
    make(MoveDown2, "MoveDown2", QStringLiteral("Move &Down"), QStringLiteral("move the current selected item position down."), 9, downKey);
    make(Preview1, "Preview1", QStringLiteral("&Preview"), QStringLiteral("Preview the design in the web browser"), 11,
         QKeySequence(Qt::CTRL | Qt::Key_P));
    make(Topic1, "Topic1", QStringLiteral("Help &Topics"), QStringLiteral("List help topics"), 12);
    make(ViewSample1, "ViewSample1", QStringLiteral("View &Samples..."), QStringLiteral("Show the sample slideshows"));
    make(Homepage1, "Homepage1", QStringLiteral("&Homepage"), QString());
    make(ContactUs1, "ContactUs1", QStringLiteral("&Contact Us"), QString());
    make(About1, "About1", QStringLiteral("&About"), QStringLiteral("Display version and copyright information"));
    make(Insert1, "Insert1", QStringLiteral("I&nsert"), QString(), 6, insertKey);
    make(Delete1, "Delete1", QStringLiteral("&Delete"), QString(), 7, deleteKey);
    make(MoveUp1, "MoveUp1", QStringLiteral("Move &Up"), QString(), 8, upKey);
    make(MoveDown1, "MoveDown1", QStringLiteral("Move &Down"), QString(), 9, downKey);

    // Undo and Redo name the step they take back or do again: "&Undo Delete".
    m_undo = new QUndoStack(this);
    m_undo->setObjectName(QStringLiteral("UndoStack"));
    Undo1 = m_undo->createUndoAction(this, QStringLiteral("&Undo"));
    Undo1->setObjectName(QStringLiteral("Undo1"));
    Undo1->setIcon(CommandIcon(3));
    Undo1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    Redo1 = m_undo->createRedoAction(this, QStringLiteral("&Redo"));
    Redo1->setObjectName(QStringLiteral("Redo1"));
    Redo1->setIcon(CommandIcon(4));
    Redo1->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
}

void TMainForm::BuildMenus()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    QMenu *file = bar->addMenu(QStringLiteral("&File"));
    file->addActions({New1, Open1, Save1, Save2});
    file->addSeparator();
    mnitRecentFiles = file->addMenu(QStringLiteral("&Recent Files"));
    mnitRecentFiles->setObjectName(QStringLiteral("mnitRecentFiles"));
    file->addSeparator();
    file->addAction(Exit1);
    QMenu *edit = bar->addMenu(QStringLiteral("&Edit"));
    edit->addActions({Undo1, Redo1});
    QMenu *view = bar->addMenu(QStringLiteral("&View"));
    view->addActions({ToolBar1, StatusBar2});
    QMenu *item = bar->addMenu(QStringLiteral("&Item"));
    item->addActions({Insert2, Delete2, MoveUp2, MoveDown2});
    QMenu *script = bar->addMenu(QStringLiteral("&Script"));
    script->addAction(Preview1);
    QMenu *help = bar->addMenu(QStringLiteral("&Help"));
    help->addActions({Topic1, ViewSample1});
    help->addSeparator();
    help->addActions({Homepage1, ContactUs1, About1});

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    PopupMenu1->addActions({Insert1, Delete1, MoveUp1, MoveDown1});
}

void TMainForm::BuildToolBar()
{
    tlbr1 = new QToolBar(this);
    tlbr1->setObjectName(QStringLiteral("tlbr1"));
    tlbr1->setMovable(false);
    tlbr1->setFloatable(false);
    tlbr1->setIconSize(QSize(16, 16));
    tlbr1->setContextMenuPolicy(Qt::PreventContextMenu);
    tlbr1->setFixedHeight(26);
    addToolBar(Qt::TopToolBarArea, tlbr1);

    btnBatchImportImgs = new QPushButton(QStringLiteral("Batch Importing Images"));
    btnBatchImportImgs->setObjectName(QStringLiteral("btnBatchImportImgs"));
    btnBatchImportImgs->setFont(Bold(btnBatchImportImgs->font()));
    btnBatchImportImgs->setFixedSize(185, 22);
    tlbr1->addWidget(btnBatchImportImgs);
    tlbr1->addSeparator();

    auto button = [this](QToolButton *&target, const char *name, int image, const char *hint) {
        target = new TSpeedButton(nullptr, Qt::TabFocus);
        target->setObjectName(QLatin1String(name));
        target->setIcon(CommandIcon(image));
        // The hint is the button's tool tip and what a screen reader calls it.
        target->setToolTip(QLatin1String(hint));
        target->setAccessibleName(QLatin1String(hint));
        target->setAutoRaise(true);
        target->setFixedSize(23, 22);
        tlbr1->addWidget(target);
    };
    button(tlbtnNew, "tlbtnNew", 0, "Create a new project");
    button(tlbtnOpen, "tlbtnOpen", 1, "Open a project from the file that you saved before");
    button(tlbtnSave, "tlbtnSave", 2, "Save the current project to a file");
    tlbr1->addSeparator();
    // These two show their command, whose text names the step ("Undo Delete"), in
    // their tool tip and to a screen reader.
    for (auto [target, name, image, command] : {std::tuple{&tlbtnUndo, "tlbtnUndo", 3, Undo1}, {&tlbtnRedo, "tlbtnRedo", 4, Redo1}}) {
        button(*target, name, image, "");
        (*target)->setAccessibleName(QString());
        (*target)->setDefaultAction(command);
    }
    tlbr1->addSeparator();
    button(tlbtnInsert, "tlbtnInsert", 6, "Insert a new item");
    button(tlbtnDelete, "tlbtnDelete", 7, "Delete selected item");
    button(tlbtnMoveUp, "tlbtnMoveUp", 8, "Move the selected item up");
    button(tlbtnMoveDown, "tlbtnMoveDown", 9, "Move the selected item down");
    tlbr1->addSeparator();
    button(tlbtnPreview, "tlbtnPreview", 11, "preview the applet in web browser");
    tlbr1->addSeparator();
    button(tlbtnHelp, "tlbtnHelp", 12, "Show help document");
}

void TMainForm::BuildTreePane()
{
    pnlTreeView = new QWidget;
    pnlTreeView->setObjectName(QStringLiteral("pnlTreeView"));
    auto *layout = new QVBoxLayout(pnlTreeView);
    layout->setContentsMargins(3, 4, 4, 0);
    trvwDesignPanel = new TDesignTree(pnlTreeView);
    trvwDesignPanel->setObjectName(QStringLiteral("trvwDesignPanel"));
    trvwDesignPanel->setToolTip(QLatin1String(kTreeHint));
    trvwDesignPanel->setAccessibleName(QStringLiteral("Items"));
    trvwDesignPanel->SetNodeIcons(TreeRootIcon(), TreeItemIcon());
    AcceptPictureDrops();
    layout->addWidget(trvwDesignPanel);
}

void TMainForm::BuildScriptSheet()
{
    tbshtScript = new QWidget;
    tbshtScript->setObjectName(QStringLiteral("tbshtScript"));
    auto *column = new QVBoxLayout(tbshtScript);
    column->setContentsMargins(8, 11, 12, 8);
    column->setSpacing(0);

    // General
    {
        auto g = MakeGroup(new QGroupBox(QStringLiteral("General"), tbshtScript), "grpbx_Script_Menu", 70, "SpeedButton1", 1);
        QLineEdit *name = Edit("edt_pScriptName", g.box);
        TColorPanel *previewBg = Swatch("pnl_pPreviewBgColor", g.box);
        TColorPanel *flashBg = Swatch("pnl_pFlashBgColor", g.box);
        g.grid->addWidget(Label(QStringLiteral("Gallery Name"), g.box, false, name), 0, 0);
        g.grid->addWidget(name, 0, 1, 1, 4);
        g.grid->addWidget(Label(QStringLiteral("Preview BgColor"), g.box, false, previewBg), 1, 0);
        g.grid->addWidget(previewBg, 1, 1);
        g.grid->addWidget(Label(QStringLiteral("Flash BgColor"), g.box, false, flashBg), 1, 2, Qt::AlignRight);
        g.grid->addWidget(flashBg, 1, 3);
        g.grid->setColumnStretch(4, 1);
        g.grid->setColumnMinimumWidth(2, 110);
        column->addWidget(g.box);
    }
    column->addSpacing(10);
    // Items
    {
        auto *box = new QGroupBox(QStringLiteral("Items"), tbshtScript);
        QFont normal = box->font();
        normal.setBold(false); // stated explicitly, so the children do not inherit the bold caption
        box->setFont(Bold(normal));
        auto g = MakeGroup(box, "GroupBox4", 126, "SpeedButton4", 2);
        g.grid->setContentsMargins(0, 6, 0, 0);
        g.grid->setVerticalSpacing(10);
        auto normalWidget = [&](QWidget *w) {
            w->setFont(normal);
            return w;
        };
        QWidget *active = normalWidget(Spin("spnedt_ActiveItemWidth", box));
        QWidget *inactive = normalWidget(Spin("spnedt_InactiveItemWidth", box));
        QWidget *height = normalWidget(Spin("spnedt_ItemHeight", box));
        QWidget *speed = normalWidget(Spin("spnedt_SlidingSpeed", box));
        g.grid->addWidget(Label(QStringLiteral("Active Item Width"), box, true, active), 0, 0);
        g.grid->addWidget(active, 0, 1);
        g.grid->addWidget(Label(QStringLiteral("Inactive Item Width"), box, true, inactive), 0, 3);
        g.grid->addWidget(inactive, 0, 4);
        g.grid->addWidget(Label(QStringLiteral("Item Height"), box, true, height), 1, 0);
        g.grid->addWidget(height, 1, 1);
        g.grid->addWidget(normalWidget(Label(QStringLiteral("Sliding Speed"), box, false, speed)), 1, 3);
        g.grid->addWidget(speed, 1, 4);
        auto *gray = new QCheckBox(QStringLiteral("Inactive Item Gray"), box);
        gray->setObjectName(QStringLiteral("ckbx_InactiveItemGray"));
        g.grid->addWidget(normalWidget(gray), 2, 0, 1, 3);
        g.grid->setColumnMinimumWidth(2, 12);
        g.grid->setColumnStretch(5, 1);
        g.grid->setRowStretch(3, 1);
        for (QToolButton *b : box->findChildren<QToolButton *>())
            b->setFont(normal);
        column->addWidget(box);
    }
    column->addSpacing(14);
    // Images
    {
        auto g = MakeGroup(new QGroupBox(QStringLiteral("Images"), tbshtScript), "GroupBox3", 112, "SpeedButton2", 3);
        auto *resize = new QComboBox(g.box);
        g.grid->addWidget(Label(QStringLiteral("Resize"), g.box, false, resize), 0, 0);
        resize->setObjectName(QStringLiteral("cmbx_pThumbProcessType"));
        for (const char *entry : kThumbProcessTypes)
            resize->addItem(QLatin1String(entry));
        resize->setMinimumWidth(190);
        g.grid->addWidget(resize, 0, 1);
        TColorPanel *fill = Swatch("pnl_pThumbFillColor", g.box);
        g.grid->addWidget(Label(QStringLiteral("Margin Fill Color"), g.box, false, fill), 0, 2, Qt::AlignRight);
        g.grid->addWidget(fill, 0, 3);
        // The extra pictures of each item; the hint says what they are for.
        const auto extra = [&](const char *name, const QString &caption, const QString &hint, int row) {
            auto *box = new QCheckBox(caption, g.box);
            box->setObjectName(QLatin1String(name));
            box->setToolTip(hint);
            box->setAccessibleDescription(hint);
            g.grid->addWidget(box, row, 0, 1, 5);
        };
        extra("ckbx_HiDpiPictures", QStringLiteral("Sharp on high-resolution screens (2x)"),
              QStringLiteral("Each picture also at twice the size, for sharp screens"), 1);
        extra("ckbx_WebPPictures", QStringLiteral("Also publish WebP pictures (smaller)"),
              QStringLiteral("Each picture also as a smaller WebP file"), 2);
        g.grid->setColumnMinimumWidth(2, 120);
        g.grid->setColumnStretch(4, 1);
        column->addWidget(g.box);
    }
    column->addSpacing(12);
    // Autoplay, headed by its check box
    {
        CheckGroupBox_AutoPlay = new TCheckGroupBox(tbshtScript);
        auto g = MakeGroup(CheckGroupBox_AutoPlay, "CheckGroupBox_AutoPlay", 57, "SpeedButton6", 4);
        g.grid->setContentsMargins(0, 8, 0, 0);
        QSpinBox *delay = Spin("spnedt_SwitchImageDelay", g.box);
        g.grid->addWidget(Label(QStringLiteral("Delay"), g.box, true, delay), 0, 0);
        g.grid->addWidget(delay, 0, 1);
        g.grid->setColumnStretch(2, 1);
        column->addWidget(g.box);
        auto *autoplay = new QCheckBox(QStringLiteral("Autoplay"), tbshtScript);
        autoplay->setObjectName(QStringLiteral("ckbx_AutoPlay"));
        autoplay->setFont(Bold(autoplay->font()));
        autoplay->setAutoFillBackground(true);
        autoplay->adjustSize();
        CheckGroupBox_AutoPlay->SetCheckComponent(autoplay);
    }
    column->addSpacing(15);
    // Title fonts
    {
        auto g =
            MakeGroup(new QGroupBox(QStringLiteral("Image Title Font Size && Color"), tbshtScript), "GroupBox6", 104, "SpeedButton3", 5);
        g.grid->setContentsMargins(0, 4, 0, 0);
        // Each row's label names both its size and its colour.
        const auto row = [&](const QString &caption, const char *sizeName, const char *colourName, int at) {
            QSpinBox *size = Spin(sizeName, g.box);
            TColorPanel *colour = Swatch(colourName, g.box);
            colour->SetCaption(caption);
            g.grid->addWidget(Label(caption, g.box, false, size), at, 0);
            g.grid->addWidget(size, at, 1);
            g.grid->addWidget(colour, at, 2);
        };
        row(QStringLiteral("Horizontal"), "spnedt_HoriTitleFontSize", "pnl_HoriTitleFontColor", 0);
        row(QStringLiteral("Vertical"), "spnedt_VertTitleFontSize", "pnl_VertTitleFontColor", 1);
        auto *vertical = new QCheckBox(QStringLiteral("Show Vertical Titles"), g.box);
        vertical->setObjectName(QStringLiteral("ckbx_EnableVerticalTitles"));
        g.grid->addWidget(vertical, 1, 3);
        g.grid->setColumnMinimumWidth(0, 90);
        g.grid->setColumnStretch(4, 1);
        column->addWidget(g.box);
    }
    column->addStretch(1);
    pgcntrl1->addTab(tbshtScript, QStringLiteral("Script Parameters"));
}

void TMainForm::BuildItemSheet()
{
    tbshtItemGeneral = new QWidget;
    tbshtItemGeneral->setObjectName(QStringLiteral("tbshtItemGeneral"));
    auto *column = new QVBoxLayout(tbshtItemGeneral);
    column->setContentsMargins(8, 16, 13, 8);
    column->setSpacing(0);
    {
        auto g = MakeGroup(new QGroupBox(QStringLiteral("Original Image Path"), tbshtItemGeneral), "GroupBox12", 81, "SpeedButton13", 6);
        g.grid->addWidget(NamedAs(Edit("edtOriginalImagePath", g.box), g.box->title()), 0, 0);
        g.grid->addWidget(Browse("spdbtnOriginalImagePath", g.box, QStringLiteral("Choose the item's picture")), 0, 1);
        column->addWidget(g.box);
    }
    column->addSpacing(6);
    {
        auto g = MakeGroup(new QGroupBox(QStringLiteral("Link"), tbshtItemGeneral), "GroupBox7", 90, "SpeedButton24", 7);
        auto *link = new QComboBox(g.box);
        g.grid->addWidget(Label(QStringLiteral("URL"), g.box, true, link), 0, 0);
        link->setObjectName(QStringLiteral("cmbx_ILink"));
        link->setEditable(true);
        link->setInsertPolicy(QComboBox::NoInsert);
        for (const char *entry : kLinkEntries)
            link->addItem(QLatin1String(entry));
        link->setEditText(QString());
        g.grid->addWidget(link, 0, 1);
        g.grid->addWidget(Browse("spdbtnItURL", g.box, QStringLiteral("Choose a local page for the link")), 0, 2);
        auto *target = new QComboBox(g.box);
        g.grid->addWidget(Label(QStringLiteral("Target"), g.box, true, target), 1, 0);
        target->setObjectName(QStringLiteral("cmbx_ITarget"));
        target->setEditable(true);
        target->setInsertPolicy(QComboBox::NoInsert);
        for (const char *entry : kTargetEntries)
            target->addItem(QLatin1String(entry));
        target->setMinimumWidth(150);
        g.grid->addWidget(target, 1, 1, Qt::AlignLeft);
        g.grid->setColumnStretch(1, 1);
        column->addWidget(g.box);
    }
    column->addSpacing(8);
    {
        auto g = MakeGroup(new QGroupBox(QStringLiteral("Image Horizontal Title"), tbshtItemGeneral), "GroupBox10", 61, "SpeedButton19", 8);
        g.grid->addWidget(NamedAs(Edit("edt_IToolTip", g.box), g.box->title()), 0, 0);
        column->addWidget(g.box);
    }
    column->addSpacing(11);
    {
        auto g = MakeGroup(new QGroupBox(QStringLiteral("Image Vertical Title"), tbshtItemGeneral), "GroupBox1", 61, "SpeedButton8", 9);
        g.grid->addWidget(NamedAs(Edit("edt_IDesription", g.box), g.box->title()), 0, 0);
        column->addWidget(g.box);
    }
    column->addSpacing(10);
    {
        auto g = MakeGroup(new QGroupBox(QStringLiteral("Preview"), tbshtItemGeneral), "GroupBox2", 0, nullptr, 0);
        g.box->setMinimumHeight(185);
        imgPreview = new TPicturePreview(g.box);
        imgPreview->setObjectName(QStringLiteral("imgPreview"));
        imgPreview->setToolTip(QStringLiteral("Click the picture's subject to keep it in view"));
        imgPreview->hide();
        g.grid->addWidget(imgPreview, 0, 0);
        btnCentreFocalPoint = new QPushButton(QStringLiteral("Centre"), g.box);
        btnCentreFocalPoint->setObjectName(QStringLiteral("btnCentreFocalPoint"));
        btnCentreFocalPoint->setToolTip(QStringLiteral("Remove the focal point: crop around the middle"));
        btnCentreFocalPoint->setAccessibleName(QStringLiteral("Centre (remove the focal point)"));
        btnCentreFocalPoint->setEnabled(false);
        g.grid->addWidget(btnCentreFocalPoint, 0, 1, Qt::AlignTop);
        g.grid->setColumnStretch(0, 1);
        column->addWidget(g.box, 1);
    }
    pgcntrl1->addTab(tbshtItemGeneral, QStringLiteral("Item General"));
}

void TMainForm::BuildPathSheet()
{
    tbshtPath = new QWidget;
    tbshtPath->setObjectName(QStringLiteral("tbshtPath"));
    auto *sheet = new QVBoxLayout(tbshtPath);
    sheet->setContentsMargins(8, 8, 8, 8);

    auto *box = new QGroupBox(QStringLiteral("Path Replacement for Publishing"), tbshtPath);
    box->setObjectName(QStringLiteral("GroupBox5"));
    sheet->addWidget(box, 1);
    auto *column = new QVBoxLayout(box);
    column->setContentsMargins(12, 10, 12, 8);
    column->setSpacing(4);

    // The note keeps its long-standing wording, "acoording" included, as users know it.
    auto *note =
        Label(QStringLiteral("The local and Web path prefixes will be replaced one by another acoording to the choices below."), box);
    note->setWordWrap(true);
    note->setStyleSheet(QStringLiteral("color: gray;"));
    column->addWidget(note);
    column->addSpacing(8);

    // Each prefix field is named by its label and described by its example line.
    const auto prefix = [&](const QString &caption, const QString &example, const char *name) {
        QLineEdit *edit = Edit(name, box);
        edit->setAccessibleDescription(example);
        column->addWidget(Label(caption, box, true, edit));
        column->addWidget(Label(example, box, true));
        column->addWidget(edit);
    };
    prefix(QStringLiteral("Local Path Prefix"), QStringLiteral("e.g. file:///C|/My Web Site/"), "edt__InternalUse_RootDir_Local");
    column->addSpacing(8);
    prefix(QStringLiteral("Web Path Prefix"), QStringLiteral("e.g. http://www.example.com/"), "edt__InternalUse_RootDir_Remote");
    column->addSpacing(8);

    auto *local = new QRadioButton(QStringLiteral("Local Path (to test on local computer)"), box);
    local->setObjectName(QStringLiteral("rdbtn__InternalUse_RootDir_Local_Checked"));
    local->setFont(Bold(local->font()));
    local->setChecked(true);
    auto *web = new QRadioButton(QStringLiteral("Web Path (to upload to Web server)"), box);
    web->setObjectName(QStringLiteral("rdbtn__InternalUse_RootDir_Local_Checked2"));
    web->setFont(Bold(web->font()));
    column->addWidget(local);
    column->addWidget(web);
    auto *warning =
        Label(QStringLiteral("Check this ONLY IF you generate files to upload. Uncheck this to preview or test locally."), box, true);
    warning->setWordWrap(true);
    column->addWidget(warning);
    column->addSpacing(14);

    CheckGroupBox1 = new TCheckGroupBox(box);
    CheckGroupBox1->setObjectName(QStringLiteral("CheckGroupBox1"));
    auto *leading = new QVBoxLayout(CheckGroupBox1);
    leading->setContentsMargins(10, 14, 10, 8);
    auto *explain = Label(QStringLiteral("The leading path is put before the thumbnail image file names within the "
                                         "generated HTML files, e.g. http://www.example.com/images/"),
                          CheckGroupBox1);
    explain->setWordWrap(true);
    leading->addWidget(explain);
    auto *leadingCheck = new QCheckBox(QStringLiteral("Leading Image Path"), box);
    QLineEdit *leadingPath = NamedAs(Edit("edt__pImageLeadingPath", CheckGroupBox1), leadingCheck->text());
    leadingPath->setAccessibleDescription(explain->text());
    leading->addWidget(leadingPath);
    column->addWidget(CheckGroupBox1);
    leadingCheck->setObjectName(QStringLiteral("ckbx__pImageLeadingPathEnabled"));
    leadingCheck->setAutoFillBackground(true);
    leadingCheck->setChecked(true);
    leadingCheck->adjustSize();
    CheckGroupBox1->SetCheckComponent(leadingCheck);

    column->addStretch(1);
    auto *corner = new QHBoxLayout;
    corner->addStretch(1);
    corner->addWidget(HelpButton(box, "SpeedButton28", 10));
    column->addLayout(corner);

    pgcntrl1->addTab(tbshtPath, QStringLiteral("Path"));
}

void TMainForm::BuildStatusArea()
{
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFixedHeight(24);
    StatusBar1->setSizeGripEnabled(false);
    stctxtHint = new QLabel;
    stctxtHint->setObjectName(QStringLiteral("stctxtHint"));
    stctxtHint->setFixedSize(338, 14);
    stctxtHint->setContentsMargins(2, 0, 0, 0);
    prgrsbrMainFormBottom = new QProgressBar;
    prgrsbrMainFormBottom->setObjectName(QStringLiteral("prgrsbrMainFormBottom"));
    prgrsbrMainFormBottom->setFixedHeight(20);
    prgrsbrMainFormBottom->setTextVisible(false);
    prgrsbrMainFormBottom->setRange(0, 100);
    prgrsbrMainFormBottom->setValue(0);
    // The hint line over the first 340 pixels, the bar from x 343 to the right edge:
    // the two share one row of their own, since the status bar's own spacing is wider.
    auto *row = new QWidget;
    auto *rowLayout = new QHBoxLayout(row);
    rowLayout->setContentsMargins(0, 0, 0, 0);
    rowLayout->setSpacing(3);
    rowLayout->addWidget(stctxtHint);
    rowLayout->addWidget(prgrsbrMainFormBottom, 1);
    StatusBar1->addWidget(row, 1);
    setStatusBar(StatusBar1);
}
