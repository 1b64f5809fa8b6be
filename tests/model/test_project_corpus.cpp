// The seed project files of the project reader's fuzz target, read as an ordinary
// test: each gives the outcome its name starts with, keeps every promise of
// fuzz/project_check.h, and so does every file cut short anywhere.
#include "fuzz/project_check.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>

#include <gtest/gtest.h>

namespace {

QString CorpusFolder()
{
    return QString::fromUtf8(QM_TESTS_SOURCE_DIR) + QStringLiteral("/fuzz/corpus/project");
}

const char *Name(ReadOutcome outcome)
{
    switch (outcome) {
    case ReadOutcome::Loaded:
        return "loads";
    case ReadOutcome::NoProject:
        return "none";
    case ReadOutcome::Refused:
        return "refused";
    case ReadOutcome::Raised:
        return "error";
    }
    return "?";
}

class ProjectCorpus : public ::testing::Test
{
protected:
    ProjectReadCheck Read(const QByteArray &bytes)
    {
        QFile file(input);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
            ADD_FAILURE() << "cannot write " << input.toStdString();
            return {};
        }
        file.close();
        return CheckProjectRead(input, dir.filePath(QStringLiteral("saved.qmreel1")));
    }

    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("input.qmreel1"));
};

TEST_F(ProjectCorpus, EverySeedGivesTheOutcomeItsNameSaysAndKeepsThePromises)
{
    const QDir corpus(CorpusFolder());
    const QStringList names = corpus.entryList(QDir::Files, QDir::Name);
    ASSERT_GE(names.size(), 20) << CorpusFolder().toStdString();
    for (const QString &name : names) {
        SCOPED_TRACE(name.toStdString());
        QFile file(corpus.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();

        const ProjectReadCheck check = Read(bytes);
        EXPECT_TRUE(name.startsWith(QLatin1String(Name(check.outcome)) + QLatin1Char('-'))) << Name(check.outcome);
        EXPECT_TRUE(check.fault.isEmpty()) << check.fault.toStdString();

        // Cut short anywhere, the file still only loads, is set aside or raises.
        const qsizetype step = std::max<qsizetype>(1, bytes.size() / 32);
        for (qsizetype n = 0; n < bytes.size(); n += step) {
            const ProjectReadCheck cut = Read(bytes.left(n));
            EXPECT_TRUE(cut.fault.isEmpty()) << n << ": " << cut.fault.toStdString();
        }
    }
}

} // namespace
