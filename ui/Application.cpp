#include "ui/Application.h"

#include "model/Error.h"
#include "ui/Icons.h"
#include "ui/Prompts.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QIcon>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <exception>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_UNIX
int g_signalPipe[2] = {-1, -1};

void OnTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[0], &byte, 1);
}
#endif

// QM_STALL_LOG=FILE: for the benchmarks, every pause of the event loop longer than
// kStall is added to FILE as "<ms since the epoch at its end> <its length in ms>".
void LogEventLoopStalls(QObject *owner)
{
    const QString path = qEnvironmentVariable("QM_STALL_LOG");
    if (path.isEmpty())
        return;
    constexpr qint64 kTick = 10, kStall = 20;
    auto *log = new QFile(path, owner);
    if (!log->open(QIODevice::Append | QIODevice::Text))
        return;
    auto *timer = new QTimer(owner);
    timer->setTimerType(Qt::PreciseTimer);
    QElapsedTimer clock;
    clock.start();
    QObject::connect(timer, &QTimer::timeout, owner, [log, clock]() mutable {
        const qint64 gap = clock.restart();
        if (gap >= kStall) {
            log->write(QByteArray::number(QDateTime::currentMSecsSinceEpoch()) + ' ' + QByteArray::number(gap) + '\n');
            log->flush();
        }
    });
    timer->start(int(kTick));
}

} // namespace

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    LogEventLoopStalls(this);
    // The name the desktop shows for the program outside its window. It is not the
    // window caption "Quillmere" on purpose: the program has always gone by this name there.
    setApplicationName(QStringLiteral("Tarnwick"));
    setWindowIcon(ProgramIcon());
    // Without a desktop session there is no theme; the freedesktop default theme
    // still gives the commands their usual pictures where it is installed.
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor")) {
        for (const QString &path : QIcon::themeSearchPaths()) {
            if (QDir(path + QStringLiteral("/Adwaita")).exists()) {
                QIcon::setThemeName(QStringLiteral("Adwaita"));
                break;
            }
        }
    }
}

TApplication::~TApplication()
{
#ifdef Q_OS_UNIX
    if (m_signalNotifier) {
        delete m_signalNotifier;
        m_signalNotifier = nullptr;
        std::signal(SIGTERM, SIG_DFL);
        std::signal(SIGINT, SIG_DFL);
        std::signal(SIGHUP, SIG_DFL);
        ::close(g_signalPipe[0]);
        ::close(g_signalPipe[1]);
        g_signalPipe[0] = g_signalPipe[1] = -1;
    }
#endif
}

QString ErrorMessage(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const QmError &e) {
        return e.message();
    } catch (const std::exception &e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("An unexpected error occurred.");
    }
}

void ReportError(IPrompts *prompts, std::exception_ptr error)
{
    // A stopped operation is what the user asked for: there is nothing to report.
    try {
        std::rethrow_exception(error);
    } catch (const TCancelled &) {
        return;
    } catch (...) {
    }
    const QString message = ErrorMessage(error);
    if (prompts)
        prompts->Error(message);
    else
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

void TApplication::ShowCurrentError()
{
    ReportError(m_prompts, std::current_exception());
}

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowCurrentError();
    }
    return false;
}

void TApplication::CloseOnTerminationRequest(QWidget *window)
{
#ifdef Q_OS_UNIX
    if (m_signalNotifier || ::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return;
    m_signalNotifier = new QSocketNotifier(g_signalPipe[1], QSocketNotifier::Read, this);
    QPointer<QWidget> target(window);
    connect(m_signalNotifier, &QSocketNotifier::activated, this, [this, target] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = ::read(g_signalPipe[1], &byte, 1);
        if (target)
            target->close();
        else
            quit();
    });
    struct sigaction action = {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
#else
    (void)window;
#endif
}
