// The message of the QmError an action raises, or "(no error)".
#pragma once

#include "model/Error.h"

#include <functional>

inline QString ErrorOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const QmError &e) {
        return e.message();
    }
    return QStringLiteral("(no error)");
}
