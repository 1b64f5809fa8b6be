// The About box: product name, version and the maker's web site and support
// addresses. The two addresses are links: blue with a hand cursor, red under the
// mouse, and a click opens them in the default browser.
#pragma once

#include <QDialog>

class IPrompts;
class QLabel;
class QPushButton;

class TformAbout : public QDialog
{
    Q_OBJECT

public:
    explicit TformAbout(IPrompts &prompts, QWidget *parent = nullptr);

    QLabel *Image1 = nullptr;
    QLabel *lblProductName = nullptr;
    QLabel *lblProductVersion = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label8 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label10 = nullptr;
    QPushButton *Button1 = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    // The mouse over the box's background turns both links blue again.
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    QLabel *MakeLabel(const char *name, const QString &text, int x, int y, int width);
    QLabel *MakeLink(const char *name, const char *address, int x, int y);

    IPrompts &m_prompts;
};
