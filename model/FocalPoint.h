// An item's focal point: the place in its picture that matters most, which the
// filling resize keeps in view and a closed strip of the player shows. Stored as
// "x,y", whole percent (0 to 100) of the picture's width and height as shown,
// that is turned upright; an item without one stores nothing.
#pragma once

#include <QString>

#include <optional>

struct TFocalPoint
{
    int x = 50;
    int y = 50;

    bool operator==(const TFocalPoint &) const = default;
};

// The point a stored text names; none for an empty or unreadable text (anything but
// two whole numbers from 0 to 100 with a comma between, blanks around them allowed).
std::optional<TFocalPoint> ParseFocalPoint(const QString &text);
// "x,y"; empty for none.
QString FocalPointText(const std::optional<TFocalPoint> &point);
