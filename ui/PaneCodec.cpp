#include "ui/PaneCodec.h"

#include "model/Error.h"
#include "ui/ColorPanel.h"
#include "ui/PicturePreview.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>

// ---------------------------------------------------------------- codec

namespace {

bool IsClass(const QWidget *control, const char *className)
{
    return control && qstrcmp(control->metaObject()->className(), className) == 0;
}

// The text of a spin box as an integer, or nothing when it is not one.
std::optional<int> SpinText(const QSpinBox *spin)
{
    try {
        return StrToInt(spin->cleanText());
    } catch (const QmError &) {
        return std::nullopt;
    }
}

// Checks or unchecks a radio button; unchecking hands the check to another button
// of its group when there is one, so the pair always shows one choice.
void SetRadio(QRadioButton *radio, bool checked)
{
    if (checked || !radio->isChecked()) {
        radio->setChecked(checked);
        return;
    }
    if (radio->autoExclusive() && radio->parentWidget()) {
        for (QRadioButton *other : radio->parentWidget()->findChildren<QRadioButton *>(Qt::FindDirectChildrenOnly)) {
            if (other != radio && other->autoExclusive() && !other->group()) {
                other->setChecked(true);
                return;
            }
        }
    }
    const bool exclusive = radio->autoExclusive();
    radio->setAutoExclusive(false);
    radio->setChecked(false);
    radio->setAutoExclusive(exclusive);
}

QString FlagText(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

void ControlToValue(const QWidget *control, int mode, QString &destination)
{
    if (IsClass(control, "QLineEdit")) {
        destination = TrimText(static_cast<const QLineEdit *>(control)->text());
    } else if (IsClass(control, "QComboBox")) {
        const auto *combo = static_cast<const QComboBox *>(control);
        if (mode == 1)
            destination = TrimText(combo->currentText());
        else
            destination = QString::number(combo->currentIndex());
    } else if (IsClass(control, "QSpinBox")) {
        const auto *spin = static_cast<const QSpinBox *>(control);
        destination = QString::number(SpinText(spin).value_or(spin->minimum()));
    } else if (IsClass(control, "TColorPanel")) {
        destination = ColorToHex(static_cast<const TColorPanel *>(control)->Color());
    } else if (IsClass(control, "QCheckBox")) {
        destination = FlagText(static_cast<const QCheckBox *>(control)->isChecked());
    } else if (IsClass(control, "QRadioButton")) {
        destination = FlagText(static_cast<const QRadioButton *>(control)->isChecked());
    } else if (IsClass(control, "TPicturePreview")) {
        destination = FocalPointText(static_cast<const TPicturePreview *>(control)->FocalPoint());
    }
}

void ValueToControl(const QString &value, QWidget *control, int mode)
{
    if (IsClass(control, "QLineEdit")) {
        static_cast<QLineEdit *>(control)->setText(TrimText(value));
    } else if (IsClass(control, "QComboBox")) {
        auto *combo = static_cast<QComboBox *>(control);
        if (mode == 1) {
            combo->setEditText(TrimText(value));
        } else {
            const int index = StrToInt(value);
            combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
        }
    } else if (IsClass(control, "QSpinBox")) {
        auto *spin = static_cast<QSpinBox *>(control);
        spin->setValue(std::clamp(StrToInt(value), spin->minimum(), spin->maximum()));
    } else if (IsClass(control, "TColorPanel")) {
        static_cast<TColorPanel *>(control)->SetColor(HexToColor(value));
    } else if (IsClass(control, "QCheckBox")) {
        static_cast<QCheckBox *>(control)->setChecked(value == QLatin1String("1"));
    } else if (IsClass(control, "QRadioButton")) {
        SetRadio(static_cast<QRadioButton *>(control), value == QLatin1String("1"));
    } else if (IsClass(control, "TPicturePreview")) {
        static_cast<TPicturePreview *>(control)->SetFocalPoint(ParseFocalPoint(value));
    }
}

// ---------------------------------------------------------------- panes

const AppletParam *AppletParamOf(const QString &controlName)
{
    for (const AppletParam &p : kAppletCatalogue)
        if (p.kind != ControlKind::None && controlName == QLatin1String(p.control))
            return &p;
    return nullptr;
}

const ItemParam *ItemParamOf(const QString &controlName)
{
    for (const ItemParam &p : kItemCatalogue)
        if (p.kind != ControlKind::None && controlName == QLatin1String(p.control))
            return &p;
    return nullptr;
}

namespace {

QWidget *Control(const QWidget *root, const char *name)
{
    return root->findChild<QWidget *>(QLatin1String(name));
}

// A record read from, or shown in, the controls a catalogue names.
template <typename Record, std::size_t N> Record ReadControls(const QWidget *root, const std::array<ParamSpec<Record>, N> &catalogue)
{
    Record record;
    for (const ParamSpec<Record> &p : catalogue)
        if (p.kind != ControlKind::None)
            ControlToValue(Control(root, p.control), p.mode(), record.*p.member);
    return record;
}

template <typename Record, std::size_t N>
void ShowControls(const Record &record, QWidget *root, const std::array<ParamSpec<Record>, N> &catalogue)
{
    for (const ParamSpec<Record> &p : catalogue)
        if (p.kind != ControlKind::None)
            ValueToControl(record.*p.member, Control(root, p.control), p.mode());
}

} // namespace

TAppletData ReadAppletControls(const QWidget *root)
{
    return ReadControls(root, kAppletCatalogue);
}

void ShowAppletControls(const TAppletData &data, QWidget *root)
{
    ShowControls(data, root, kAppletCatalogue);
}

TAppletExtras ReadAppletExtraControls(const QWidget *root)
{
    return ReadControls(root, kAppletExtrasCatalogue);
}

void ShowAppletExtraControls(const TAppletExtras &extras, QWidget *root)
{
    ShowControls(extras, root, kAppletExtrasCatalogue);
}

TItemData ReadItemControls(const QWidget *root)
{
    return ReadControls(root, kItemCatalogue);
}

void ShowItemControls(const TItemData &item, QWidget *root)
{
    ShowControls(item, root, kItemCatalogue);
}
