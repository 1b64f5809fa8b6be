#include "model/TextUtils.h"

#include "model/Error.h"

#include <QDir>

void RaiseNotInteger(const QString &text)
{
    throw QmError(QStringLiteral("'%1' is not a valid integer value").arg(text));
}

int StrToInt(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok || text.trimmed().isEmpty())
        RaiseNotInteger(text);
    return value;
}

QString ColorToHex(TColor color)
{
    const uint red = color & 0xFF;
    const uint green = (color >> 8) & 0xFF;
    const uint blue = (color >> 16) & 0xFF;
    return QStringLiteral("%1%2%3")
        .arg(red, 2, 16, QLatin1Char('0'))
        .arg(green, 2, 16, QLatin1Char('0'))
        .arg(blue, 2, 16, QLatin1Char('0'))
        .toUpper();
}

TColor HexToColor(const QString &text)
{
    if (text.toLower() == QLatin1String("transparent"))
        return 0;
    // Characters 5-6, 3-4 and 1-2 of RRGGBB give BBGGRR; missing characters add nothing.
    const QString hex = text.mid(4, 2) + text.mid(2, 2) + text.mid(0, 2);
    if (hex.isEmpty())
        return 0;
    TColor value = 0;
    for (const QChar c : hex) {
        const int digit = QStringLiteral("0123456789abcdef").indexOf(c.toLower());
        if (digit < 0)
            RaiseNotInteger(QStringLiteral("$00") + hex);
        value = value * 16 + TColor(digit);
    }
    return value;
}

QString GetField(const QString &line, int n, const QString &separator)
{
    QString rest = line;
    QString result;
    for (int i = 0; i < n; ++i) {
        const qsizetype at = rest.indexOf(separator);
        if (at < 0)
            return QString();
        result = rest.left(at);
        rest = rest.mid(at + separator.size());
    }
    return result;
}

QStringList GetFields(const QString &line, int count, const QString &separator)
{
    QStringList fields;
    fields.reserve(count);
    qsizetype from = 0;
    while (fields.size() < count) {
        const qsizetype at = line.indexOf(separator, from);
        if (at < 0)
            break;
        fields << line.mid(from, at - from);
        from = at + separator.size();
    }
    while (fields.size() < count)
        fields << QString();
    return fields;
}

QString IncludeTrailingBackslash(const QString &path)
{
    const QChar sep = QDir::separator();
    return path.endsWith(sep) ? path : path + sep;
}

QString TrimText(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 32)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 32)
        --end;
    return text.mid(begin, end - begin);
}

QString ExtractFileName(const QString &path)
{
    qsizetype at = path.size();
    while (at > 0) {
        const QChar c = path.at(at - 1);
        if (c == QLatin1Char('\\') || c == QLatin1Char('/') || c == QLatin1Char(':'))
            break;
        --at;
    }
    return path.mid(at);
}

QString PathToFileUrl(const QString &path)
{
    if (path.startsWith(QLatin1Char('/')))
        return QStringLiteral("file://") + path;
    QString address = path;
    address.replace(QLatin1Char('\\'), QLatin1Char('/')).replace(QLatin1Char(':'), QLatin1Char('|'));
    return QStringLiteral("file:///") + address;
}
