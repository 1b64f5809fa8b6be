#include "ui/AccessibleRoles.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QWidget>

namespace {

QHash<QString, QAccessible::Role> &Roles()
{
    static QHash<QString, QAccessible::Role> roles;
    return roles;
}

QAccessibleInterface *RoleFactory(const QString &className, QObject *object)
{
    const auto role = Roles().constFind(className);
    if (role == Roles().cend() || !object || !object->isWidgetType())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget *>(object), *role);
}

} // namespace

void ShowAsRole(const char *className, QAccessible::Role role)
{
    if (Roles().isEmpty())
        QAccessible::installFactory(RoleFactory);
    Roles().insert(QLatin1String(className), role);
}
