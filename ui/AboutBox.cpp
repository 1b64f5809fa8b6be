#include "ui/AboutBox.h"

#include "model/Product.h"
#include "ui/Icons.h"
#include "ui/Prompts.h"
#include "ui/SpeedButton.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>

namespace {

void SetTextColor(QLabel *label, const QColor &color)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
}

} // namespace

TformAbout::TformAbout(IPrompts &prompts, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_prompts(prompts)
{
    setObjectName(QStringLiteral("formAbout"));
    setWindowTitle(ProductName());
    setFixedSize(313, 153);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::WindowText, Qt::black);
    setPalette(palette);
    setAutoFillBackground(true);
    setMouseTracking(true);

    Image1 = MakeLabel("Image1", QString(), 16, 14, 32);
    Image1->setFixedHeight(32);
    Image1->setPixmap(ProgramIcon().pixmap(32, 32));

    lblProductName = MakeLabel("lblProductName", ProductName(), 64, 12, 233);
    QFont bold = lblProductName->font();
    bold.setBold(true);
    lblProductName->setFont(bold);
    lblProductVersion = MakeLabel("lblProductVersion", QStringLiteral("Version ") + ProductVersion(), 64, 30, 233);

    Label2 = MakeLabel("Label2", QStringLiteral("Web Site"), 16, 52, 120);
    Label8 = MakeLink("Label8", kProductAddress, 16, 68);
    Label3 = MakeLabel("Label3", QStringLiteral("Tech Support"), 16, 88, 120);
    Label10 = MakeLink("Label10", kSupportAddress, 16, 104);

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(119, 123, 75, 25);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    // The box opens with OK in focus; Tab reaches the links, Escape closes it.
    Button1->setFocus();

    if (QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

QLabel *TformAbout::MakeLabel(const char *name, const QString &text, int x, int y, int width)
{
    auto *label = new QLabel(text, this);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(x, y, width, label->sizeHint().height());
    return label;
}

QLabel *TformAbout::MakeLink(const char *name, const char *address, int x, int y)
{
    QLabel *label = MakeLabel(name, QLatin1String(address), x, y, 0);
    // Only the text itself is the link.
    label->resize(qMin(label->sizeHint().width(), width() - 8 - x), label->height());
    label->setTextFormat(Qt::PlainText);
    label->setCursor(Qt::PointingHandCursor);
    label->setToolTip(QStringLiteral("Open in your web browser"));
    label->setMouseTracking(true);
    // Reachable by Tab, red while in focus as under the mouse, opened by Space or Enter.
    label->setFocusPolicy(Qt::TabFocus);
    label->installEventFilter(this);
    SetTextColor(label, Qt::blue);
    return label;
}

bool TformAbout::eventFilter(QObject *watched, QEvent *event)
{
    auto *label = qobject_cast<QLabel *>(watched);
    if (label != Label8 && label != Label10)
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Enter:
    case QEvent::FocusIn:
        SetTextColor(label, Qt::red);
        break;
    case QEvent::MouseMove:
        // Kept from the box, whose own mouse moves turn the links blue.
        SetTextColor(label, Qt::red);
        return true;
    case QEvent::Leave:
    case QEvent::FocusOut:
        SetTextColor(label, Qt::blue);
        break;
    case QEvent::KeyPress: {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Space || IsEnterKey(key)) {
            m_prompts.ShellOpen(label->text());
            return true;
        }
        break;
    }
    case QEvent::MouseButtonRelease: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton && label->rect().contains(mouse->position().toPoint())) {
            m_prompts.ShellOpen(label->text());
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void TformAbout::mouseMoveEvent(QMouseEvent *event)
{
    SetTextColor(Label8, Qt::blue);
    SetTextColor(Label10, Qt::blue);
    QDialog::mouseMoveEvent(event);
}
