#include "platform/CheckGroupBox.h"

#include "model/Error.h"

#include <QAbstractButton>
#include <QMetaMethod>
#include <QMetaProperty>
#include <QVariant>

TCheckGroupBox::TCheckGroupBox(QWidget *parent) : QGroupBox(parent)
{
    m_caption = title();
}

TCheckGroupBox::~TCheckGroupBox()
{
    if (m_check)
        QObject::disconnect(m_clickConnection);
    m_check = nullptr;
}

void TCheckGroupBox::SetCaption(const QString &text)
{
    if (!text.isEmpty())
        m_caption = text;
    setTitle(m_check ? QString() : m_caption);
}

void TCheckGroupBox::SetCheckComponent(QWidget *control)
{
    if (qobject_cast<TCheckGroupBox *>(control))
        throw QmError(QStringLiteral("Assigned TCheckGroupBox to itself"));

    if (m_check)
        QObject::disconnect(m_clickConnection);
    m_check = control;
    if (!control)
        return;

    // Drawn over the group's frame, in the caption's place.
    control->raise();
    // The control's "checked" change (a check box's `toggled`, raised when the user
    // clicks it and when the program sets its state) is the group's cue.
    const QMetaObject *meta = control->metaObject();
    const int checked = meta->indexOfProperty("checked");
    if (checked >= 0 && meta->property(checked).hasNotifySignal())
        m_clickConnection = connect(control, meta->property(checked).notifySignal(), this,
                                    metaObject()->method(metaObject()->indexOfSlot("CheckComponentClick()")));
    Update();
}

void TCheckGroupBox::SetPositionCheckComponent(bool on)
{
    m_positionCheck = on;
    if (on)
        PlaceCheckComponent();
}

void TCheckGroupBox::PlaceCheckComponent()
{
    if (!m_positionCheck || !m_check)
        return;
    QPoint target = geometry().topLeft() + QPoint(8, -3);
    // The two normally share their parent; otherwise the point is carried over.
    if (m_check->parentWidget() != parentWidget() && parentWidget() && m_check->parentWidget())
        target = m_check->parentWidget()->mapFromGlobal(parentWidget()->mapToGlobal(target));
    m_check->move(target);
}

bool TCheckGroupBox::IsCheckComponentChecked() const
{
    if (!m_check)
        return true;
    if (auto *button = qobject_cast<QAbstractButton *>(m_check.data()))
        return button->isChecked();
    // Any other control answers through its "checked" property, when it has one.
    return m_check->property("checked").toBool();
}

void TCheckGroupBox::SetEnabled(bool enabled)
{
    setEnabled(enabled);
    const bool childrenEnabled = enabled && IsCheckComponentChecked();
    for (QObject *child : children()) {
        if (auto *nested = qobject_cast<TCheckGroupBox *>(child))
            nested->SetEnabled(childrenEnabled);
        else if (auto *widget = qobject_cast<QWidget *>(child))
            widget->setEnabled(childrenEnabled);
    }
    Q_EMIT Enabled(this, enabled);
}

void TCheckGroupBox::SetBounds(int left, int top, int width, int height)
{
    setGeometry(left, top, width, height);
    SetPositionCheckComponent(m_positionCheck);
}

void TCheckGroupBox::Update()
{
    update();
    SetCaption(title());
    SetPositionCheckComponent(m_positionCheck);
    SetEnabled(!testAttribute(Qt::WA_ForceDisabled) && IsCheckComponentChecked());
}

void TCheckGroupBox::CheckComponentClick()
{
    SetEnabled(IsCheckComponentChecked());
}

void TCheckGroupBox::moveEvent(QMoveEvent *event)
{
    QGroupBox::moveEvent(event);
    PlaceCheckComponent();
}

void TCheckGroupBox::resizeEvent(QResizeEvent *event)
{
    QGroupBox::resizeEvent(event);
    PlaceCheckComponent();
}

void TCheckGroupBox::showEvent(QShowEvent *event)
{
    QGroupBox::showEvent(event);
    PlaceCheckComponent();
}
