// The colour swatch of the panes.
#pragma once

#include "model/TextUtils.h"

#include <QAbstractButton>

// The colour swatch of the panes: a small bevelled panel showing its colour. It is
// a button to the keyboard and to screen readers: it takes focus, a click, Space or
// Enter reports `clicked` (the panes open the colour dialog on it), and its
// accessible name is its caption with the colour as the user sees it,
// "Preview BgColor: 000000", kept up to date as the colour changes.
class TColorPanel : public QAbstractButton
{
    Q_OBJECT

public:
    explicit TColorPanel(QWidget *parent = nullptr);

    TColor Color() const { return m_color; }
    void SetColor(TColor color);

    // The label the swatch is shown with; it heads the accessible name.
    QString Caption() const { return m_caption; }
    void SetCaption(const QString &caption);

    QSize sizeHint() const override { return QSize(22, 22); }

Q_SIGNALS:
    // The colour is another one now.
    void ColorChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void UpdateName();

    TColor m_color = 0;
    QString m_caption;
};
