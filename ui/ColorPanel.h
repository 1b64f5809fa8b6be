// The colour swatch of the panes.
#pragma once

#include "model/TextUtils.h"

#include <QFrame>

// The colour swatch of the panes: a small bevelled panel showing its colour. A
// click (the panes open the colour dialog on it) is reported as `clicked`.
class TColorPanel : public QFrame
{
    Q_OBJECT

public:
    explicit TColorPanel(QWidget *parent = nullptr);

    TColor Color() const { return m_color; }
    void SetColor(TColor color);

    QSize sizeHint() const override { return QSize(22, 22); }

Q_SIGNALS:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    TColor m_color = 0;
};
