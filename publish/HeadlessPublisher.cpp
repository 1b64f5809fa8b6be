#include "publish/HeadlessPublisher.h"

#include "model/AppletAgent.h"
#include "model/Catalogue.h"
#include "model/Error.h"
#include "model/MemorySeams.h"
#include "model/Product.h"
#include "model/SaveFile.h"
#include "model/TextUtils.h"
#include "publish/Driver.h"
#include "publish/Pictures.h"
#include "publish/Variants.h"
#include "publish/WorkingFiles.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <csignal>

namespace {

const char *const kUsage = "Usage: quillmere-publish PROJECT_FILE [OUTPUT_FOLDER]\n"
                           "\n"
                           "Publishes a Quillmere project as the editor's \"Save All Required Files As...\"\n"
                           "does: the page, the player configuration files, one picture per item, the\n"
                           "readme, the player files and the project file itself, all named after the\n"
                           "project file, into OUTPUT_FOLDER (default: the project file's folder; made\n"
                           "when missing), with PREFIXdata.js, a script carrying the configuration\n"
                           "files for a page opened from its folder. Prints the full path of the page.\n"
                           "\n"
                           "Items whose picture is missing or cannot be read are published without one,\n"
                           "each named on the error stream. Exit status: 0 when published, 1 when some\n"
                           "pictures could not be read or nothing could be published, 130 or 143 when\n"
                           "stopped by SIGINT or SIGTERM (while the pictures are made, the output folder\n"
                           "is then left as it was).\n"
                           "\n"
                           "Options:\n"
                           "  -j, --jobs N   Draw the item pictures on N threads at once (default: one per\n"
                           "                 processor core; 1 draws them one after another).\n"
                           "      --no-cache Draw every item picture afresh: neither use nor fill the\n"
                           "                 per-user cache of pictures drawn before.\n"
                           "      --hidpi, --no-hidpi\n"
                           "                 Publish each picture also at twice the size, for sharp\n"
                           "                 pictures on high-resolution screens, or do not, whatever\n"
                           "                 the project says (\"Sharp on high-resolution screens\").\n"
                           "      --webp, --no-webp\n"
                           "                 Publish each picture also as a smaller WebP file, or do\n"
                           "                 not, whatever the project says (\"Also publish WebP\n"
                           "                 pictures\"). The project file keeps its own settings.\n"
                           "  -h, --help     Show this help and exit.\n"
                           "  -v, --version  Show the version and exit.\n";

// More threads than this only cost memory.
constexpr int kMaxJobs = 256;

// The signal that asked the run to stop, 0 while none has.
volatile std::sig_atomic_t g_stopSignal = 0;

void OnStopSignal(int signal)
{
    g_stopSignal = signal;
    // A second signal ends the program at once, as if it were not caught.
    std::signal(signal, SIG_DFL);
}

// SIGINT and SIGTERM stop the run at its next safe point while this lives.
class StopOnSignals
{
public:
    StopOnSignals()
    {
        g_stopSignal = 0;
        m_interrupt = std::signal(SIGINT, OnStopSignal);
        m_terminate = std::signal(SIGTERM, OnStopSignal);
    }
    ~StopOnSignals()
    {
        std::signal(SIGINT, m_interrupt);
        std::signal(SIGTERM, m_terminate);
    }
    StopOnSignals(const StopOnSignals &) = delete;
    StopOnSignals &operator=(const StopOnSignals &) = delete;

private:
    void (*m_interrupt)(int);
    void (*m_terminate)(int);
};

QString SignalName(int signal)
{
    return signal == SIGINT ? QStringLiteral("SIGINT") : signal == SIGTERM ? QStringLiteral("SIGTERM") : QString::number(signal);
}

// Progress nobody sees; a signal is the publisher's Cancel.
class SilentProgress : public IProgress
{
public:
    void SetMaximum(int) override {}
    void Step(int) override {}
    void SetPosition(int) override {}
    void SetStage(const QString &) override {}
    void SetBusy(bool) override {}
    bool Cancelled() const override { return g_stopSignal != 0; }
};

// The stage texts and a progress bar on one line of a terminal.
class TerminalProgress : public SilentProgress
{
public:
    explicit TerminalProgress(std::FILE *stream) : m_stream(stream) {}
    ~TerminalProgress() override
    {
        if (m_drawn)
            std::fputs("\r\033[K", m_stream);
        std::fflush(m_stream);
    }

    void SetMaximum(int maximum) override
    {
        m_maximum = maximum;
        Draw();
    }
    void Step(int by) override
    {
        m_position += by;
        Draw();
    }
    void SetPosition(int position) override
    {
        m_position = position;
        Draw();
    }
    void SetStage(const QString &text) override
    {
        m_stage = text;
        Draw();
    }

private:
    void Draw()
    {
        if (m_stage.isEmpty() && m_position == 0) {
            if (m_drawn)
                std::fputs("\r\033[K", m_stream);
            m_drawn = false;
            std::fflush(m_stream);
            return;
        }
        constexpr int kWidth = 30;
        const int filled = m_maximum > 0 ? std::clamp(m_position * kWidth / m_maximum, 0, kWidth) : 0;
        const QString bar = QString(filled, QLatin1Char('#')) + QString(kWidth - filled, QLatin1Char('-'));
        const QString line = QStringLiteral("\r\033[K%1 [%2]").arg(m_stage, bar);
        std::fputs(line.toLocal8Bit().constData(), m_stream);
        std::fflush(m_stream);
        m_drawn = true;
    }

    std::FILE *m_stream;
    QString m_stage;
    int m_maximum = 0;
    int m_position = 0;
    bool m_drawn = false;
};

void Print(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

// One line on the error stream, headed by the program's name.
void Complain(std::FILE *err, const QString &text)
{
    Print(err, QLatin1String(kPublisherProgram) + QStringLiteral(": ") + text + QLatin1Char('\n'));
}

QString Native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// Removes the files this run placed into the preview folder, as the editor does when it closes.
void CleanUp(TAppletAgent &document)
{
    try {
        CleanupWorkingFiles(document);
    } catch (const QmError &) {
        // The preview folder is gone or unreachable: nothing of ours is left there.
    }
}

} // namespace

QString MissingPictureWarning(int itemNumber, const QString &path)
{
    if (path.isEmpty())
        return QStringLiteral("item %1: no picture chosen, published without one").arg(itemNumber);
    if (IsUnreadableName(path))
        return QStringLiteral("item %1: no picture at %2 (its name is not valid in the system's encoding and cannot be "
                              "read), published without one")
            .arg(itemNumber)
            .arg(Native(path));
    return QStringLiteral("item %1: no picture at %2, published without one").arg(itemNumber).arg(Native(path));
}

QString UnreadablePictureWarning(int itemNumber, const QString &path, const QString &reason)
{
    return QStringLiteral("item %1: cannot read the picture at %2, published without one: %3").arg(itemNumber).arg(Native(path), reason);
}

PublishedProject PublishProjectFile(const QString &projectFile, const QString &outputFolder, IProgress &progress,
                                    const std::function<void(const QString &)> &warn)
{
    const QFileInfo project(projectFile);
    if (IsUnreadableName(projectFile))
        throw QmError(QStringLiteral("Cannot open file \"%1\". %2").arg(Native(projectFile), QLatin1String(kUnreadableName)));
    if (!project.exists())
        throw QmError(QStringLiteral("The project file \"%1\" does not exist.").arg(Native(projectFile)));
    if (project.isDir())
        throw QmError(QStringLiteral("\"%1\" is a folder, not a project file.").arg(Native(projectFile)));

    TAppletAgent document;
    document.SetDefaults();
    MemoryItemTree tree;
    switch (document.LoadProject(project.absoluteFilePath(), tree, progress)) {
    case LoadResult::Loaded:
        break;
    case LoadResult::NoProject:
        throw QmError(QStringLiteral("\"%1\" holds no %2 project (it is empty or has no product name). "
                                     "Nothing was published.")
                          .arg(Native(projectFile), ProductName()));
    case LoadResult::Refused:
        throw QmError(QString::fromLatin1(kForeignProductMessage));
    }
    // The gallery values as the editor's panes show them and read them back.
    document.AppletData = NormaliseAppletData(document.AppletData);
    if (warn)
        for (size_t i = 0; i < document.Items.size(); ++i)
            if (const QString path = TrimText(document.Items[i].OriginalImagePath); !HasPictureSource(path))
                warn(MissingPictureWarning(int(i) + 1, path));

    const QString folder = outputFolder.isEmpty() ? project.absolutePath() : QFileInfo(outputFolder).absoluteFilePath();
    if (QFileInfo(folder).exists() && !QFileInfo(folder).isDir())
        throw QmError(QStringLiteral("The output folder \"%1\" is a file, not a folder.").arg(Native(folder)));
    // A missing folder is made by the save, once the pictures are made.
    const QString output = IncludeTrailingBackslash(Native(QDir::cleanPath(folder)));

    try {
        SaveAllFiles(document, output, project.fileName(), tree, progress);
    } catch (...) {
        CleanUp(document);
        throw;
    }
    CleanUp(document);
    if (warn)
        for (const TUnreadablePicture &picture : document.UnreadablePictures)
            warn(UnreadablePictureWarning(picture.Item + 1, picture.Path, picture.Reason));
    return {SavedPagePath(output, project.fileName()), int(document.UnreadablePictures.size())};
}

int RunHeadlessPublisher(const QStringList &arguments, std::FILE *out, std::FILE *err, bool errIsTerminal)
{
    QStringList positional;
    PicturePassOptions pictures;
    ExtrasOverride extras;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (!optionsEnded &&
            (argument == QLatin1String("-j") || argument == QLatin1String("--jobs") || argument.startsWith(QLatin1String("--jobs=")))) {
            QString value;
            if (argument.startsWith(QLatin1String("--jobs=")))
                value = argument.mid(7);
            else if (i + 1 < arguments.size())
                value = arguments.at(++i);
            bool ok = false;
            const int jobs = value.toInt(&ok);
            if (!ok || jobs < 1 || jobs > kMaxJobs) {
                Complain(err, QStringLiteral("the number of jobs must be a whole number from 1 to %1, not \"%2\".\n\n%3")
                                  .arg(kMaxJobs)
                                  .arg(value, QString::fromLatin1(kUsage)));
                return 1;
            }
            pictures.jobs = jobs;
        } else if (!optionsEnded && argument == QLatin1String("--no-cache")) {
            pictures.useCache = false;
        } else if (!optionsEnded && (argument == QLatin1String("--hidpi") || argument == QLatin1String("--no-hidpi"))) {
            extras.hiDpi = argument == QLatin1String("--hidpi");
        } else if (!optionsEnded && (argument == QLatin1String("--webp") || argument == QLatin1String("--no-webp"))) {
            extras.webP = argument == QLatin1String("--webp");
        } else if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && (argument == QLatin1String("-h") || argument == QLatin1String("--help"))) {
            Print(out, QString::fromLatin1(kUsage));
            return 0;
        } else if (!optionsEnded && (argument == QLatin1String("-v") || argument == QLatin1String("--version"))) {
            Print(out, QLatin1String(kPublisherProgram) + QLatin1Char(' ') + ProductVersion() + QLatin1Char('\n'));
            return 0;
        } else if (!optionsEnded && argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
            Complain(err, QStringLiteral("unknown option \"%1\".\n\n%2").arg(argument, QString::fromLatin1(kUsage)));
            return 1;
        } else {
            positional << argument;
        }
    }
    if (positional.isEmpty() || positional.size() > 2) {
        Complain(err, QStringLiteral("%1\n\n%2")
                          .arg(positional.isEmpty() ? QStringLiteral("no project file given.") : QStringLiteral("too many arguments."),
                               QString::fromLatin1(kUsage)));
        return 1;
    }

    SetPicturePassOptions(pictures);
    SetExtrasOverride(extras);
    const StopOnSignals stop;
    SilentProgress silent;
    TerminalProgress terminal(err);
    IProgress &progress = errIsTerminal ? static_cast<IProgress &>(terminal) : silent;
    try {
        // Items without a picture are published without one, and each is named on the error stream.
        const auto warn = [&](const QString &warning) {
            progress.SetPosition(0);
            progress.SetStage(QString());
            Complain(err, warning);
        };
        const PublishedProject published = PublishProjectFile(positional.at(0), positional.value(1), progress, warn);
        if (const int signal = g_stopSignal) {
            // Too late to stop: everything was written whole.
            Complain(err, QStringLiteral("stopped by %1 after publishing %2.").arg(SignalName(signal), published.page));
            return 128 + signal;
        }
        Print(out, published.page + QLatin1Char('\n'));
        // Scripts notice pictures that could not be read.
        return published.unreadablePictures > 0 ? 1 : 0;
    } catch (const TCancelled &) {
        progress.SetPosition(0);
        progress.SetStage(QString());
        const int signal = g_stopSignal;
        Complain(err, QStringLiteral("stopped by %1; nothing was published and the output folder is as it was.").arg(SignalName(signal)));
        return 128 + signal;
    } catch (const QmError &error) {
        progress.SetPosition(0);
        progress.SetStage(QString());
        Complain(err, error.message());
        return 1;
    } catch (const std::exception &error) {
        progress.SetPosition(0);
        progress.SetStage(QString());
        Complain(err, QString::fromLocal8Bit(error.what()));
        return 1;
    }
}
