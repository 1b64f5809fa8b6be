#include "ui/HelpWindow.h"

#include "model/TextUtils.h"
#include "ui/AccessibleRoles.h"
#include "ui/Prompts.h"

#include <QDir>
#include <QFileInfo>
#include <QHideEvent>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QTextBrowser>

#include <array>

namespace {

// Pages of the help buttons, by tag.
const std::array<const char *, 11> kHelpPages = {
    "getting_started.htm",
    "customizing_fl_script_script_general.htm",
    "customizing_fl_script_script_items.htm",
    "customizing_fl_script_script_images.htm",
    "customizing_fl_script_script_autoplay.htm",
    "customizing_fl_script_script_image_title_font_size_color.htm",
    "customizing_fl_item_general_original_image_path.htm",
    "customizing_fl_item_general_link.htm",
    "customizing_fl_item_general_image_horizontal_title.htm",
    "customizing_fl_item_general_image_vertical_title.htm",
    "customizing_fl_script_path_path.htm",
};

bool IsWebAddress(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https") || scheme == QLatin1String("mailto") ||
           scheme == QLatin1String("ftp");
}

bool IsPage(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("htm") || suffix == QLatin1String("html");
}

} // namespace

QString HelpPageTable(int tag)
{
    return QString::fromLatin1(tag > 0 && tag < int(kHelpPages.size()) ? kHelpPages[size_t(tag)] : kHelpPages[0]);
}

QString HelpPageAddress(const QString &programFolder, int tag)
{
    QString folder = programFolder;
    if (!folder.endsWith(QLatin1Char('/')) && !folder.endsWith(QLatin1Char('\\')))
        folder += QLatin1Char('/');
    return PathToFileUrl(folder + QStringLiteral("help/") + HelpPageTable(tag));
}

QUrl HelpAddressToUrl(const QString &address)
{
    const QString prefix = QStringLiteral("file://");
    if (!address.startsWith(prefix, Qt::CaseInsensitive))
        return QUrl(address);
    QString path = address.mid(prefix.size());
    // "/C|/..." is a drive path written with "|" for ":".
    static const QRegularExpression drive(QStringLiteral("^/([A-Za-z])\\|(?=/|$)"));
    const QRegularExpressionMatch match = drive.match(path);
    if (match.hasMatch())
        path = match.captured(1) + QLatin1Char(':') + path.mid(match.capturedLength());
    return QUrl::fromLocalFile(path);
}

TfrmHelp::TfrmHelp(IPrompts &prompts, QWidget *parent) : QWidget(parent, Qt::Tool), m_prompts(prompts)
{
    setObjectName(QStringLiteral("frmHelp"));
    ShowAsRole("TfrmHelp", QAccessible::Window);
    setWindowTitle(QStringLiteral("Help"));
    setFixedSize(402, 428);
    move(m_placement);

    WebBrowser1 = new QTextBrowser(this);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1->setGeometry(0, 0, 401, 427);
    WebBrowser1->setAccessibleName(windowTitle());
    // Every link is decided here: help pages stay, the rest goes to the desktop.
    WebBrowser1->setOpenLinks(false);
    WebBrowser1->setOpenExternalLinks(false);
    connect(WebBrowser1, &QTextBrowser::anchorClicked, this, &TfrmHelp::LinkClicked);
}

void TfrmHelp::ShowPage(const QString &address)
{
    const QUrl url = HelpAddressToUrl(address);
    if (!url.isLocalFile()) {
        if (IsWebAddress(url))
            m_prompts.ShellOpen(url.toString());
        return;
    }
    m_helpFolder = QFileInfo(url.toLocalFile()).absolutePath();
    Navigate(url);
    if (!isVisible()) {
        move(m_placement);
        show();
    }
    raise();
    activateWindow();
}

void TfrmHelp::hideEvent(QHideEvent *event)
{
    m_placement = pos();
    QWidget::hideEvent(event);
}

void TfrmHelp::keyPressEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Escape || event->modifiers() != Qt::NoModifier) {
        QWidget::keyPressEvent(event);
        return;
    }
    close();
    if (QWidget *owner = parentWidget())
        owner->activateWindow();
}

void TfrmHelp::Navigate(const QUrl &url)
{
    const QString path = url.toLocalFile();
    if (QFileInfo(path).isFile()) {
        WebBrowser1->setSource(url);
        return;
    }
    WebBrowser1->setHtml(
        QStringLiteral("<h3>Page not found</h3><p>The help page \"%1\" could not be found in the folder \"%2\".</p>"
                       "<p>The help files may be missing or damaged; installing the program again restores them.</p>")
            .arg(QFileInfo(path).fileName().toHtmlEscaped(), QDir::toNativeSeparators(QFileInfo(path).absolutePath()).toHtmlEscaped()));
}

void TfrmHelp::LinkClicked(const QUrl &link)
{
    const QUrl target = WebBrowser1->source().resolved(link);
    if (IsWebAddress(target)) {
        m_prompts.ShellOpen(target.toString());
        return;
    }
    if (!target.isLocalFile())
        return; // other kinds of address are not followed
    const QString path = target.toLocalFile();
    const bool inHelp = !m_helpFolder.isEmpty() && !QDir(m_helpFolder).relativeFilePath(path).startsWith(QLatin1String(".."));
    if (inHelp && IsPage(path))
        Navigate(target);
    else
        m_prompts.ShellOpen(path);
}
