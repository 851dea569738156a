#include "platform/forms/Form.h"

#include <QObject>
#include <QVariant>

namespace velvane {

std::intptr_t TagOf(const QObject* object)
{
    if (!object) return 0;
    return static_cast<std::intptr_t>(object->property("Tag").toLongLong());
}

void SetTag(QObject* object, std::intptr_t tag)
{
    if (object) object->setProperty("Tag", QVariant::fromValue(static_cast<qlonglong>(tag)));
}

} // namespace velvane
