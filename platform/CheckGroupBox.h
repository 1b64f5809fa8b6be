// A group box headed by a separate check control (usually a check box): while the
// check control is checked, the group's contents are enabled; while it is not,
// they and the group are disabled. The check control is not a child of the group:
// it is a sibling in the same parent, placed over the group's top edge where the
// caption would be, so it stays enabled and can always be checked again.
#pragma once

#include <QGroupBox>
#include <QPointer>
#include <QString>

class TCheckGroupBox : public QGroupBox
{
    Q_OBJECT

public:
    explicit TCheckGroupBox(QWidget *parent = nullptr);
    ~TCheckGroupBox() override;

    // The group's caption as the user sees it (empty while a check control heads it).
    QString Caption() const { return title(); }
    // A non-empty text becomes the stored caption; the visible caption is empty while
    // a check control is assigned, the stored caption otherwise.
    void SetCaption(const QString &text);
    QString StoredCaption() const { return m_caption; }

    QWidget *CheckComponent() const { return m_check; }
    // Takes `control` as the heading check control (nullptr drops it). Raises QmError
    // "Assigned TCheckGroupBox to itself" for any check group box; nothing changes then.
    void SetCheckComponent(QWidget *control);

    bool PositionCheckComponent() const { return m_positionCheck; }
    // When on, the check control sits at the group's left + 8 and top - 3 and follows
    // the group when it moves or changes size.
    void SetPositionCheckComponent(bool on);

    // Whether the check control is checked; true without one.
    bool IsCheckComponentChecked() const;

    // The group's own enabled state becomes `enabled`; each child widget becomes
    // enabled exactly when `enabled` and the check control is checked. Emits Enabled.
    void SetEnabled(bool enabled);

    // Moves and sizes the group, then places the check control again.
    void SetBounds(int left, int top, int width, int height);

    // Re-applies caption, position and the enabled state from the check control,
    // combined with the group's current enabled state.
    void Update();

Q_SIGNALS:
    // Raised after every SetEnabled with the requested state.
    void Enabled(TCheckGroupBox *sender, bool enabled);

protected:
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private Q_SLOTS:
    void CheckComponentClick();

private:
    void PlaceCheckComponent();

    QString m_caption;
    bool m_positionCheck = true;
    QPointer<QWidget> m_check;
    QMetaObject::Connection m_clickConnection;
};
