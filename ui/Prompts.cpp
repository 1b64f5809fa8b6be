#include "ui/Prompts.h"

#include <QApplication>
#include <QClipboard>
#include <QColor>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QUrl>

QString QtFileFilter(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts.at(i + 1);
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        out << parts.at(i) + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return out.join(QStringLiteral(";;"));
}

QString ReplaceQuestion(const QString &file)
{
    return QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(QDir::toNativeSeparators(file));
}

QString SaveFileConfirmed(IPrompts &prompts, const QString &initialFolder, const TReplacedFile &replaced,
                          const std::function<QString(const QString &folder)> &choose)
{
    QString folder = initialFolder;
    for (;;) {
        const QString chosen = choose(folder);
        if (chosen.isEmpty() || !replaced)
            return chosen;
        const QString file = replaced(chosen);
        if (!QFileInfo::exists(file) || prompts.Warning(ReplaceQuestion(file), TWarningButtons::YesNo) == TAnswer::Yes)
            return chosen;
        folder = QDir::toNativeSeparators(QFileInfo(chosen).absolutePath());
    }
}

// ---------------------------------------------------------------- widgets

void TWidgetPrompts::Information(const QString &text)
{
    QMessageBox::information(m_owner, QApplication::applicationDisplayName(), text);
}

TAnswer TWidgetPrompts::Warning(const QString &text, TWarningButtons buttons)
{
    QMessageBox::StandardButtons shown = QMessageBox::Yes;
    QMessageBox::StandardButton escape = QMessageBox::Yes;
    if (buttons == TWarningButtons::YesNo) {
        shown |= QMessageBox::No;
        escape = QMessageBox::No;
    } else if (buttons == TWarningButtons::YesNoCancel) {
        shown |= QMessageBox::No | QMessageBox::Cancel;
        escape = QMessageBox::Cancel;
    }
    QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(), text, shown, m_owner);
    box.setEscapeButton(escape);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return TAnswer::Yes;
    case QMessageBox::No:
        return TAnswer::No;
    default:
        return buttons == TWarningButtons::YesNoCancel ? TAnswer::Cancel : buttons == TWarningButtons::YesNo ? TAnswer::No : TAnswer::Yes;
    }
}

void TWidgetPrompts::Error(const QString &text)
{
    QMessageBox::critical(m_owner, QApplication::applicationDisplayName(), text);
}

QString TWidgetPrompts::StartFolder(const QString &initialFolder) const
{
    return initialFolder.isEmpty() ? m_lastFolder : initialFolder;
}

void TWidgetPrompts::Remember(const QString &chosenPath)
{
    if (!chosenPath.isEmpty())
        m_lastFolder = QFileInfo(chosenPath).absolutePath();
}

QString TWidgetPrompts::OpenFile(const QString &filter, const QString &initialFolder)
{
    const QString path = QFileDialog::getOpenFileName(m_owner, QString(), StartFolder(initialFolder), QtFileFilter(filter), nullptr,
                                                      QFileDialog::HideNameFilterDetails);
    Remember(path);
    return QDir::toNativeSeparators(path);
}

QString TWidgetPrompts::SaveFile(const QString &filter, const QString &initialFolder, const TReplacedFile &replaced)
{
    // The dialog's own question would concern the name as typed, not the file the save
    // writes; the question is asked once the dialog has closed instead.
    const QFileDialog::Options options = QFileDialog::HideNameFilterDetails | QFileDialog::DontConfirmOverwrite;
    return SaveFileConfirmed(*this, initialFolder, replaced, [&](const QString &folder) {
        const QString path = QFileDialog::getSaveFileName(m_owner, QString(), StartFolder(folder), QtFileFilter(filter), nullptr, options);
        Remember(path);
        return QDir::toNativeSeparators(path);
    });
}

QStringList TWidgetPrompts::OpenPictures(const QString &filter, const QString &initialFolder, bool multiple)
{
    QStringList paths;
    if (multiple) {
        paths = QFileDialog::getOpenFileNames(m_owner, QString(), StartFolder(initialFolder), QtFileFilter(filter), nullptr,
                                              QFileDialog::HideNameFilterDetails);
    } else {
        const QString path = QFileDialog::getOpenFileName(m_owner, QString(), StartFolder(initialFolder), QtFileFilter(filter), nullptr,
                                                          QFileDialog::HideNameFilterDetails);
        if (!path.isEmpty())
            paths << path;
    }
    if (!paths.isEmpty())
        Remember(paths.first());
    for (QString &path : paths)
        path = QDir::toNativeSeparators(path);
    return paths;
}

std::optional<TColor> TWidgetPrompts::PickColor(TColor initial)
{
    const QColor start(int(initial & 0xFF), int((initial >> 8) & 0xFF), int((initial >> 16) & 0xFF));
    const QColor chosen = QColorDialog::getColor(start, m_owner);
    if (!chosen.isValid())
        return std::nullopt;
    return TColor(chosen.red()) | (TColor(chosen.green()) << 8) | (TColor(chosen.blue()) << 16);
}

std::unique_ptr<QMessageBox> CannotOpenBox(QWidget *owner, const QString &address)
{
    auto box = std::make_unique<QMessageBox>(QMessageBox::Warning, QApplication::applicationDisplayName(),
                                             QStringLiteral("The desktop could not open this address in a web browser. "
                                                            "Please open it in a browser by hand:\n\n%1")
                                                 .arg(address),
                                             QMessageBox::Close, owner);
    box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    QPushButton *copy = box->addButton(QStringLiteral("Copy Address"), QMessageBox::ActionRole);
    QObject::connect(copy, &QPushButton::clicked, [address] { QGuiApplication::clipboard()->setText(address); });
    return box;
}

namespace {

// The box of CannotOpenBox, shown without waiting for it.
void ShowCannotOpen(QWidget *owner, const QString &address)
{
    QMessageBox *box = CannotOpenBox(owner, address).release();
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
// How long a failure of the desktop's opener is heard: it fails at once when nothing
// takes the address, while one that starts the browser itself may return only when
// the browser closes.
constexpr int kOpenerHeardFor = 10000; // ms

// Starts xdg-open on `url` and shows the box when it fails; false without xdg-open.
// Qt starts it too, but only says whether it started, and on a desktop without a
// browser it starts and fails.
bool OpenWithDesktopOpener(QWidget *owner, const QUrl &url)
{
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty())
        return false;
    auto *process = new QProcess(qApp);
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->setStandardInputFile(QProcess::nullDevice());
    QElapsedTimer started;
    started.start();
    const QPointer<QWidget> window(owner);
    const QString address = url.toString();
    const auto failed = [process, started, window, address] {
        if (started.elapsed() < kOpenerHeardFor)
            ShowCannotOpen(window, address);
        process->deleteLater();
    };
    QObject::connect(process, &QProcess::finished, process, [process, failed](int code, QProcess::ExitStatus status) {
        if (code != 0 || status != QProcess::NormalExit)
            failed();
        else
            process->deleteLater();
    });
    QObject::connect(process, &QProcess::errorOccurred, process, [failed](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            failed();
    });
    process->start(opener, {QString::fromUtf8(url.toEncoded())});
    return true;
}
#endif

} // namespace

bool TWidgetPrompts::ShellOpen(const QString &fileOrAddress)
{
    const QUrl url = QUrl::fromUserInput(fileOrAddress, QDir::currentPath(), QUrl::AssumeLocalFile);
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    if (OpenWithDesktopOpener(m_owner, url))
        return true;
#endif
    if (QDesktopServices::openUrl(url))
        return true;
    ShowCannotOpen(m_owner, url.toString());
    return false;
}

// ---------------------------------------------------------------- scripted

void TScriptedPrompts::Information(const QString &text)
{
    calls << QStringLiteral("information: ") + text;
    messages << text;
}

TAnswer TScriptedPrompts::Warning(const QString &text, TWarningButtons buttons)
{
    calls << QStringLiteral("warning: ") + text;
    messages << text;
    if (!answers.empty()) {
        const TAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    return buttons == TWarningButtons::YesNoCancel ? TAnswer::Cancel : buttons == TWarningButtons::YesNo ? TAnswer::No : TAnswer::Yes;
}

void TScriptedPrompts::Error(const QString &text)
{
    calls << QStringLiteral("error: ") + text;
    messages << text;
}

QString TScriptedPrompts::OpenFile(const QString &filter, const QString &initialFolder)
{
    calls << QStringLiteral("open: %1 | %2").arg(filter, initialFolder);
    if (files.empty())
        return QString();
    const QString path = files.front();
    files.pop_front();
    return path;
}

QString TScriptedPrompts::SaveFile(const QString &filter, const QString &initialFolder, const TReplacedFile &replaced)
{
    return SaveFileConfirmed(*this, initialFolder, replaced, [&](const QString &folder) {
        calls << QStringLiteral("save: %1 | %2 | %3")
                     .arg(filter, folder, replaced ? QStringLiteral("overwrite-check") : QStringLiteral("no-check"));
        if (files.empty())
            return QString();
        const QString path = files.front();
        files.pop_front();
        return path;
    });
}

QStringList TScriptedPrompts::OpenPictures(const QString &filter, const QString &initialFolder, bool multiple)
{
    calls << QStringLiteral("pictures: %1 | %2 | %3")
                 .arg(filter, initialFolder, multiple ? QStringLiteral("multiple") : QStringLiteral("single"));
    if (pictures.empty())
        return {};
    const QStringList chosen = pictures.front();
    pictures.pop_front();
    return chosen;
}

std::optional<TColor> TScriptedPrompts::PickColor(TColor initial)
{
    calls << QStringLiteral("colour: %1").arg(ColorToHex(initial));
    if (colours.empty())
        return std::nullopt;
    const std::optional<TColor> chosen = colours.front();
    colours.pop_front();
    return chosen;
}

bool TScriptedPrompts::ShellOpen(const QString &fileOrAddress)
{
    calls << QStringLiteral("shell: ") + fileOrAddress;
    opened << fileOrAddress;
    return true;
}
