// Shared helpers of the publishing tests: a private per-user folder tree for
// every test, small pictures written byte by byte, and file comparisons.
#pragma once

#include "FileBytes.h"
#include "ScratchHome.h"

#include "model/AppletAgent.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <map>
#include <ostream>

// Readable test failures for Qt texts.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace publishtest {

// Redirects the per-user folders (application data, documents, home) into a
// fresh temporary folder for the duration of one test.
class PublishTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_scratch.isValid()); }

    QString DataHome() const { return m_scratch.DataHome(); }
    QString Home() const { return m_scratch.Home(); }
    // A scratch folder of the test, ending in a separator.
    QString Work() const { return m_scratch.Work(); }
    QString AppFolder() const { return DataHome() + QStringLiteral("/Brindlecove/Quillmere/1.0/"); }
    QString Preview() const { return AppFolder() + QStringLiteral("Preview/"); }
    QString Temp() const { return AppFolder() + QStringLiteral("Temp/"); }

private:
    ScratchHome m_scratch;
};

// A 24-bit uncompressed Windows bitmap of one colour.
inline QByteArray BmpBytes(int width, int height, quint8 red, quint8 green, quint8 blue)
{
    const int rowBytes = (width * 3 + 3) / 4 * 4;
    const quint32 imageSize = quint32(rowBytes * height);
    QByteArray out;
    auto u16 = [&out](quint32 v) {
        out += char(v & 0xFF);
        out += char((v >> 8) & 0xFF);
    };
    auto u32 = [&](quint32 v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    out += "BM";
    u32(14 + 40 + imageSize);
    u32(0);
    u32(14 + 40);
    u32(40);
    u32(quint32(width));
    u32(quint32(height));
    u16(1);
    u16(24);
    u32(0); // uncompressed
    u32(imageSize);
    u32(2835);
    u32(2835);
    u32(0);
    u32(0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            out += char(blue);
            out += char(green);
            out += char(red);
        }
        out += QByteArray(rowBytes - width * 3, '\0');
    }
    return out;
}

// The lines, each followed by CR LF.
inline QByteArray CrLf(const QStringList &lines)
{
    QByteArray out;
    for (const QString &line : lines)
        out += line.toUtf8() + "\r\n";
    return out;
}

// The names of the files in a folder, sorted.
inline QStringList FilesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// Every file of a folder with its bytes.
inline std::map<QString, QByteArray> FolderBytes(const QString &folder)
{
    std::map<QString, QByteArray> files;
    for (const QString &name : FilesIn(folder))
        files[name] = ReadBytes(folder + QLatin1Char('/') + name);
    return files;
}

// A document with the new-project defaults and `count` items under the root.
inline TAppletAgent DefaultDocument(int count = 0)
{
    TAppletAgent document;
    document.SetDefaults();
    for (int i = 0; i < count; ++i) {
        TItemData item = TAppletAgent::NewItem();
        item.Level = QStringLiteral("0");
        document.Items.push_back(item);
    }
    return document;
}

} // namespace publishtest
