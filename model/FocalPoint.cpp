#include "model/FocalPoint.h"

#include <QStringList>

namespace {

// A whole number from 0 to 100, digits only.
std::optional<int> Percent(QStringView text)
{
    text = text.trimmed();
    if (text.isEmpty() || text.size() > 3)
        return std::nullopt;
    int value = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
    }
    return value <= 100 ? std::optional<int>(value) : std::nullopt;
}

} // namespace

std::optional<TFocalPoint> ParseFocalPoint(const QString &text)
{
    const qsizetype comma = text.indexOf(QLatin1Char(','));
    if (comma < 0)
        return std::nullopt;
    const std::optional<int> x = Percent(QStringView(text).left(comma));
    const std::optional<int> y = Percent(QStringView(text).mid(comma + 1));
    if (!x || !y)
        return std::nullopt;
    return TFocalPoint{*x, *y};
}

QString FocalPointText(const std::optional<TFocalPoint> &point)
{
    return point ? QStringLiteral("%1,%2").arg(point->x).arg(point->y) : QString();
}
