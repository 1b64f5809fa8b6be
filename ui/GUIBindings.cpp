// Every control and command of the main window bound to its handler. Each handler
// runs through Guarded, so an error that escapes it reaches the error box.
#include "ui/GUI.h"

#include "model/Catalogue.h"
#include "ui/ColorPanel.h"
#include "ui/ControlTables.h"
#include "ui/PicturePreview.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>

#include <algorithm>

void TMainForm::ConnectHandlers()
{
    auto bind = [this](auto *source, auto signal, void (TMainForm::*handler)()) {
        connect(source, signal, this, [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });
    };
    // A command runs from its menu items and its tool button alike, but never while
    // a long operation runs (a timer or a queued call could start one meanwhile).
    auto command = [this](std::initializer_list<QAction *> actions, QAbstractButton *button, void (TMainForm::*handler)()) {
        const auto run = [this, handler] {
            if (!Busy())
                Guarded([this, handler] { (this->*handler)(); });
        };
        for (QAction *action : actions)
            connect(action, &QAction::triggered, this, run);
        if (button)
            connect(button, &QAbstractButton::clicked, this, run);
    };
    // Runs `handler` on every change of a pane control's value, whatever its class.
    auto onChangeOf = [this](const char *name, const std::function<void()> &handler) {
        QWidget *w = findChild<QWidget *>(QLatin1String(name));
        auto run = [this, handler] { Guarded(handler); };
        if (auto *edit = qobject_cast<QLineEdit *>(w))
            connect(edit, &QLineEdit::textChanged, this, run);
        else if (auto *combo = qobject_cast<QComboBox *>(w); combo && combo->isEditable())
            connect(combo, &QComboBox::editTextChanged, this, run);
        else if (combo)
            connect(combo, &QComboBox::currentIndexChanged, this, run);
        else if (auto *spin = qobject_cast<QSpinBox *>(w))
            connect(spin, &QSpinBox::textChanged, this, run);
        else if (auto *swatch = qobject_cast<TColorPanel *>(w))
            connect(swatch, &TColorPanel::ColorChanged, this, run);
        else if (auto *button = qobject_cast<QAbstractButton *>(w))
            connect(button, &QAbstractButton::toggled, this, run);
    };

    command({New1}, tlbtnNew, &TMainForm::New1Click);
    command({Open1}, tlbtnOpen, &TMainForm::Open1Click);
    command({Save1}, tlbtnSave, &TMainForm::Save1Click);
    command({Save2}, nullptr, &TMainForm::Save2Click);
    command({Exit1}, nullptr, &TMainForm::Exit1Click);
    // The View items flip their own check mark in their handlers.
    connect(ToolBar1, &QAction::triggered, this, [this] {
        ToolBar1->setChecked(!ToolBar1->isChecked()); // undo Qt's own flip; the handler flips it
        Guarded([this] { ToolBar1Click(); });
    });
    connect(StatusBar2, &QAction::triggered, this, [this] {
        StatusBar2->setChecked(!StatusBar2->isChecked());
        Guarded([this] { StatusBar2Click(); });
    });
    command({Insert1, Insert2}, tlbtnInsert, &TMainForm::Insert1Click);
    command({Delete1, Delete2}, tlbtnDelete, &TMainForm::Delete1Click);
    command({MoveUp1, MoveUp2}, tlbtnMoveUp, &TMainForm::MoveUp1Click);
    command({MoveDown1, MoveDown2}, tlbtnMoveDown, &TMainForm::MoveDown1Click);
    command({Preview1}, tlbtnPreview, &TMainForm::Preview1Click);
    command({Topic1}, tlbtnHelp, &TMainForm::Topic1Click);
    command({ViewSample1}, nullptr, &TMainForm::ViewSample1Click);
    command({Homepage1}, nullptr, &TMainForm::Homepage1Click);
    command({ContactUs1}, nullptr, &TMainForm::ContactUs1Click);
    command({About1}, nullptr, &TMainForm::About1Click);
    command({}, btnBatchImportImgs, &TMainForm::btnBatchImportImgsClick);

    bind(trvwDesignPanel, &QTreeWidget::currentItemChanged, &TMainForm::trvwDesignPanelChange);
    bind(trvwDesignPanel, &TDesignTree::MouseDown, &TMainForm::trvwDesignPanelMouseDown);
    connect(trvwDesignPanel, &TDesignTree::NodeDropped, this,
            [this](int node, int target, TDropPlace place) { Guarded([=, this] { trvwDesignPanelDragDrop(node, target, place); }); });
    connect(trvwDesignPanel, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { PopupMenu1->popup(trvwDesignPanel->viewport()->mapToGlobal(at)); });

    for (const char *name : kChangeHandledControls)
        onChangeOf(name, [this] { spnedtApWidthChange(); });
    // Every other value of the panes marks the project modified as well, so that no
    // change is lost by closing without the question to save it.
    const auto isChangeHandled = [](const char *name) {
        return std::any_of(kChangeHandledControls.begin(), kChangeHandledControls.end(),
                           [name](const char *handled) { return qstrcmp(handled, name) == 0; });
    };
    const auto markOnChange = [&](const char *name, ControlKind kind) {
        if (kind != ControlKind::None && kind != ControlKind::ColorPanel && !isChangeHandled(name))
            onChangeOf(name, [this] { MarkModified(); });
    };
    for (const AppletParam &p : kAppletCatalogue)
        markOnChange(p.control, p.kind);
    for (const ItemParam &p : kItemCatalogue)
        markOnChange(p.control, p.kind);
    for (const AppletExtraParam &p : kAppletExtrasCatalogue)
        markOnChange(p.control, p.kind);
    // Bound after the others, so the guard runs once the field's other handling is done.
    for (const char *name : kSeparatorGuardedFields) {
        QWidget *field = findChild<QWidget *>(QLatin1String(name));
        onChangeOf(name, [this, field] { CheckSeparatorFree(field); });
    }
    // Every catalogued value the user changes becomes an undo step. Bound last, so a
    // text the guard refused has been emptied again and never becomes one.
    const auto undoable = [&](const auto &p, int owner) {
        if (p.kind == ControlKind::None)
            return;
        const QWidget *control = findChild<QWidget *>(QLatin1String(p.control));
        onChangeOf(p.control,
                   [this, owner, position = p.position, mode = p.mode(), control] { RecordPaneValue(owner, position, mode, control); });
    };
    for (const AppletParam &p : kAppletCatalogue)
        undoable(p, TValueRef::kGallery);
    for (const AppletExtraParam &p : kAppletExtrasCatalogue)
        undoable(p, TValueRef::kGalleryExtra);
    for (const ItemParam &p : kItemCatalogue)
        undoable(p, TValueRef::kShownItem);

    for (const char *name : kSwatches)
        bind(findChild<TColorPanel *>(QLatin1String(name)), &TColorPanel::clicked, &TMainForm::pnlApBgClrClick);
    bind(findChild<QToolButton *>(QStringLiteral("spdbtnOriginalImagePath")), &QToolButton::clicked,
         &TMainForm::spdbtnItemImageNormalClick);
    bind(findChild<QToolButton *>(QStringLiteral("spdbtnItURL")), &QToolButton::clicked, &TMainForm::spdbtnItURLClick);
    connect(imgPreview, &TPicturePreview::FocalPointChanged, this,
            [this](bool startsStep) { Guarded([=, this] { imgPreviewFocalPointChange(startsStep); }); });
    bind(btnCentreFocalPoint, &QPushButton::clicked, &TMainForm::btnCentreFocalPointClick);
    imgPreview->SetFramingSource([this] { return PreviewFraming(); });
    // The help buttons are the tool buttons with a page number.
    for (QToolButton *button : findChildren<QToolButton *>())
        if (button->property("Tag").isValid())
            bind(button, &QToolButton::clicked, &TMainForm::SpeedButton1Click);

    // The hint line follows the mouse over these controls and over their parts: the
    // edit inside a spin box, the tree's viewport, the labels drawn on a group.
    for (const char *name : kHintLineControls) {
        QWidget *control = findChild<QWidget *>(QLatin1String(name));
        if (!control)
            continue;
        QList<QWidget *> watched{control};
        if (auto *spin = qobject_cast<QAbstractSpinBox *>(control))
            watched << spin->findChild<QLineEdit *>();
        if (auto *area = qobject_cast<QAbstractScrollArea *>(control))
            watched << area->viewport();
        for (QLabel *label : control->findChildren<QLabel *>(Qt::FindDirectChildrenOnly))
            watched << label;
        for (QWidget *w : watched) {
            w->setMouseTracking(true);
            w->installEventFilter(this);
        }
    }
}
