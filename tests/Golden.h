// Golden files: long expected texts kept byte for byte under tests/<folder>/data/
// (CR LF line ends included), rather than retyped in C++.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <gtest/gtest.h>

// The bytes of tests/`relative`; a missing file fails the test and gives nothing.
inline QByteArray Golden(const char *relative)
{
    QFile file(QString::fromUtf8(QM_TESTS_SOURCE_DIR) + QLatin1Char('/') + QString::fromUtf8(relative));
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "missing golden file " << file.fileName().toStdString();
        return QByteArray();
    }
    return file.readAll();
}

// The lines of a text whose every line ends in CR LF, without their line ends.
inline QList<QByteArray> CrLfLines(const QByteArray &text)
{
    QList<QByteArray> lines = text.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the last line end starts no line
    for (QByteArray &line : lines)
        if (line.endsWith('\r'))
            line.chop(1);
    return lines;
}
