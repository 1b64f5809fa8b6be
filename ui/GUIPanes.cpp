// The parameter pane: values between pane and document, change handling, swatches,
// the picture and link choosers, the separator guard and the hint line.
#include "ui/GUI.h"

#include "model/Error.h"
#include "publish/codecs/Formats.h"
#include "ui/ColorPanel.h"
#include "ui/ControlTables.h"
#include "ui/GUIShared.h"
#include "ui/PaneCodec.h"
#include "ui/PicturePreview.h"

#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QUndoStack>

#include <optional>

void TMainForm::ReadAppletPane()
{
    Document->SetAppletData(ReadAppletControls(this));
    Document->AppletExtras = ReadAppletExtraControls(this);
}

void TMainForm::ShowAppletPane()
{
    const QScopedValueRollback<bool> filling(m_fillingPane, true);
    ShowAppletControls(Document->GetAppletData(), this);
    ShowAppletExtraControls(Document->AppletExtras, this);
}

void TMainForm::ReadItemPane(int index)
{
    Document->SetItem(ReadItemControls(this), index);
}

void TMainForm::ShowItemPane(int index)
{
    const QScopedValueRollback<bool> filling(m_fillingPane, true);
    ShowItemControls(Document->GetItem(index), this);
    btnCentreFocalPoint->setEnabled(imgPreview->FocalPoint().has_value());
}

void TMainForm::TakePaneValues()
{
    ReadAppletPane();
    if (CurrentItemNode)
        ReadItemPane(trvwDesignPanel->AbsoluteIndex(CurrentItemNode) - 1);
}

void TMainForm::spnedtApWidthChange()
{
    MarkModified();
}

// ---------------------------------------------------------------- hint line

namespace {

// The control of the hint list a widget stands for: itself, or the list control it is
// part of (the edit inside a spin box, the tree's viewport, a label on a group box).
QWidget *HintedControl(QObject *watched)
{
    for (auto *w = qobject_cast<QWidget *>(watched); w; w = w->parentWidget()) {
        const QString name = w->objectName();
        for (const char *hinted : kHintLineControls)
            if (name == QLatin1String(hinted))
                return w;
        if (w->isWindow())
            break;
    }
    return nullptr;
}

} // namespace

bool TMainForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove)
        spnedtApWidthMouseMove(watched);
    if (watched == trvwDesignPanel && TreePopupKey(event))
        return true;
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::spnedtApWidthMouseMove(QObject *sender)
{
    if (Loading)
        return;
    // The tree and the tool buttons carry their hints as tool tips; the other
    // controls have none and empty the line.
    if (const QWidget *control = HintedControl(sender))
        stctxtHint->setText(control->toolTip());
}

// ---------------------------------------------------------------- separator guard

void TMainForm::CheckSeparatorFree(QWidget *control)
{
    const QString separator = Document->Separator;
    auto *edit = qobject_cast<QLineEdit *>(control);
    auto *combo = qobject_cast<QComboBox *>(control);
    const QString text = edit ? edit->text() : combo ? combo->currentText() : QString();
    if (!text.contains(separator))
        return;
    m_prompts.Warning(QStringLiteral("The text can't include \"") + separator + QStringLiteral("\", it is used by system!"),
                      TWarningButtons::Yes);
    // Emptying the field runs its change handling again, on the empty text.
    if (edit)
        edit->setText(QString());
    else
        combo->setEditText(QString());
}

// ---------------------------------------------------------------- swatches

void TMainForm::pnlApBgClrClick()
{
    if (auto *panel = qobject_cast<TColorPanel *>(sender()))
        PickPanelColor(panel);
    MarkModified();
}

void TMainForm::PickPanelColor(TColorPanel *panel)
{
    if (const std::optional<TColor> chosen = m_prompts.PickColor(panel->Color()))
        panel->SetColor(*chosen);
}

// ---------------------------------------------------------------- choosers

void TMainForm::spdbtnItemImageNormalClick()
{
    const QStringList chosen = m_prompts.OpenPictures(PictureDialogFilter(), QString(), false);
    const QString path = chosen.isEmpty() ? QString() : chosen.first();
    if (!sender() || sender()->objectName() != QLatin1String("spdbtnOriginalImagePath"))
        return;
    auto *pathEdit = findChild<QLineEdit *>(QStringLiteral("edtOriginalImagePath"));
    QTreeWidgetItem *node = trvwDesignPanel->Selected();
    const bool topLevel = node && node->parent() == trvwDesignPanel->Root();
    const int nodeIndex = trvwDesignPanel->AbsoluteIndex(node);
    // The new path and the node's new caption are one step.
    const bool changes = !path.isEmpty() && (pathEdit->text() != path || (topLevel && node->text(0) != ExtractFileName(path)));
    if (changes)
        m_undo->beginMacro(QStringLiteral("Choose Picture"));
    {
        const auto closeStep = qScopeGuard([&] {
            if (changes)
                m_undo->endMacro();
        });
        if (!path.isEmpty())
            pathEdit->setText(path);
        // A path the separator guard refused names no picture: the caption stays.
        if (topLevel && !path.isEmpty() && pathEdit->text() == path)
            RunStep(CaptionStep(EditContext(), nodeIndex, ExtractFileName(path)));
    }
    if (topLevel && QFileInfo(pathEdit->text()).isFile())
        ShowImagePreview();
}

void TMainForm::spdbtnItURLClick()
{
    const QString path = m_prompts.OpenFile(QStringLiteral("HTML files(*.htm;*.html)|*.htm;*.html|Any file (*.*)|*.*"), QString());
    if (path.isEmpty())
        return;
    findChild<QComboBox *>(QStringLiteral("cmbx_ILink"))->setEditText(PathToFileUrl(path));
    MarkModified();
}

// ---------------------------------------------------------------- focal point

void TMainForm::imgPreviewFocalPointChange(bool startsStep)
{
    btnCentreFocalPoint->setEnabled(imgPreview->FocalPoint().has_value());
    const int item = ShownItem();
    if (m_fillingPane || item < 0)
        return;
    if (startsStep)
        ++m_typingSession;
    RecordValue({item, ItemParamOf(imgPreview->objectName())->position}, FocalPointText(imgPreview->FocalPoint()),
                QStringLiteral("Focal Point"));
}

void TMainForm::btnCentreFocalPointClick()
{
    imgPreview->ChooseFocalPoint(std::nullopt, true);
}

TPreviewFraming TMainForm::PreviewFraming() const
{
    // Values a hand-edited project holds that are no numbers draw no frames.
    const auto number = [](const QString &text) {
        try {
            return StrToInt(text);
        } catch (const QmError &) {
            return 0;
        }
    };
    const TAppletData &data = Document->AppletData;
    TPreviewFraming framing;
    framing.width = number(data.ActiveItemWidth);
    framing.height = number(data.ItemHeight);
    // As the build reads it: only "0" keeps the margins.
    framing.mode = number(data.ThumbProcessType) == 0 ? 0 : 1;
    framing.stripWidth = Document->Items.size() > 1 ? number(data.InactiveItemWidth) : 0;
    return framing;
}
