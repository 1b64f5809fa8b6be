// A private home for one test: HOME and the XDG data and configuration folders
// point into a fresh temporary folder while the scratch lives, and the variables
// are as they were afterwards, so no test touches the real per-user folders.
//
//   <root>/home   HOME, with XDG_CONFIG_HOME at home/.config   (made)
//   <root>/data   XDG_DATA_HOME   (not made: a fresh account has none yet)
//   <root>/work   the test's own files   (made)
//   <root>/tmp    TMPDIR: the temporary folder, and with it the picture cache   (made)
//
// Paths go into the environment in the file-name encoding, as the folders are read.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <array>

class ScratchHome
{
public:
    ScratchHome()
    {
        for (Saved &saved : m_saved) {
            saved.wasSet = qEnvironmentVariableIsSet(saved.name);
            saved.value = qgetenv(saved.name);
        }
        if (!m_root.isValid())
            return;
        QDir(m_root.path()).mkpath(QStringLiteral("home"));
        QDir(m_root.path()).mkpath(QStringLiteral("work"));
        QDir(m_root.path()).mkpath(QStringLiteral("tmp"));
        qputenv("TMPDIR", QFile::encodeName(Path(QStringLiteral("tmp"))));
        SetHome(Path(QStringLiteral("home")));
        SetDataHome(Path(QStringLiteral("data")));
    }

    ~ScratchHome()
    {
        for (const Saved &saved : m_saved) {
            if (saved.wasSet)
                qputenv(saved.name, saved.value);
            else
                qunsetenv(saved.name);
        }
    }

    ScratchHome(const ScratchHome &) = delete;
    ScratchHome &operator=(const ScratchHome &) = delete;

    // False when the temporary folder could not be made; the environment is then untouched.
    bool isValid() const { return m_root.isValid(); }

    // A path below the scratch root.
    QString Path(const QString &relative) const { return m_root.path() + QLatin1Char('/') + relative; }
    QString Home() const { return m_home; }
    QString DataHome() const { return m_dataHome; }
    // The test's own folder, ending in a separator.
    QString Work() const { return Path(QStringLiteral("work/")); }
    // The temporary folder while the scratch lives.
    QString Temp() const { return Path(QStringLiteral("tmp")); }

    // HOME, and the configuration folder below it, for the rest of the test.
    void SetHome(const QString &path)
    {
        m_home = path;
        qputenv("HOME", QFile::encodeName(path));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(path + QStringLiteral("/.config")));
    }

    // XDG_DATA_HOME for the rest of the test.
    void SetDataHome(const QString &path)
    {
        m_dataHome = path;
        qputenv("XDG_DATA_HOME", QFile::encodeName(path));
    }

private:
    struct Saved
    {
        const char *name;
        QByteArray value;
        bool wasSet;
    };

    QTemporaryDir m_root;
    QString m_home;
    QString m_dataHome;
    std::array<Saved, 4> m_saved{
        {{"HOME", {}, false}, {"XDG_DATA_HOME", {}, false}, {"XDG_CONFIG_HOME", {}, false}, {"TMPDIR", {}, false}}};
};
