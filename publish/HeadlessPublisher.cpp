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

// The stage texts and a progress bar on one line of a terminal.
class TerminalProgress : public IProgress
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
    void SetBusy(bool) override {}

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

// Progress nobody sees.
class SilentProgress : public IProgress
{
public:
    void SetMaximum(int) override {}
    void Step(int) override {}
    void SetPosition(int) override {}
    void SetStage(const QString &) override {}
    void SetBusy(bool) override {}
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

QString PublishProjectFile(const QString &projectFile, const QString &outputFolder, IProgress &progress,
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
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder))
        throw QmError(QStringLiteral("The output folder \"%1\" cannot be created.").arg(Native(folder)));
    const QString output = IncludeTrailingBackslash(Native(QDir::cleanPath(folder)));

    try {
        SaveAllFiles(document, output, project.fileName(), tree, progress);
    } catch (...) {
        CleanUp(document);
        throw;
    }
    CleanUp(document);
    return SavedPagePath(output, project.fileName());
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
        const QString page = PublishProjectFile(positional.at(0), positional.value(1), progress, warn);
        Print(out, page + QLatin1Char('\n'));
        return 0;
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
