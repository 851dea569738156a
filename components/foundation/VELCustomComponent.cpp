#include "components/foundation/VELCustomComponent.h"

#include "platform/classes/Filer.h"

namespace velvane {

void TVELCustomComponent::EndUpdate(bool notify)
{
    updating_ = false;
    if (notify) NotifyChange();
}

void TVELCustomComponent::Change()
{
    NotifyChange();
}

void TVELCustomComponent::NotifyChange()
{
    if (updating_ || !OnChange) return;
    OnChange(this);
}

void TVELCustomComponent::DeclareProperties(TPropertyList& list)
{
    TComponent::DeclareProperties(list);
    list.Text("About", [this] { return About; }, [this](const String& v) { About = v; });
}

} // namespace velvane
