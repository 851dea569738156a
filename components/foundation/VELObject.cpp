#include "components/foundation/VELObject.h"

namespace velvane {

void TVELObject::EndUpdate(bool notify)
{
    updating_ = false;
    if (notify) NotifyChange();
}

void TVELObject::Change()
{
    NotifyChange();
}

void TVELObject::NotifyChange()
{
    if (updating_ || !OnChange) return;
    OnChange(this);
}

String TVELObject::GetSummary() const
{
    return String();
}

} // namespace velvane
