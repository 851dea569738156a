#pragma once
// Tells when the component it watches is freed.

#include "platform/classes/Component.h"

namespace velvane::test {

class FreeWatcher : public TComponent {
public:
    explicit FreeWatcher(TComponent* watched) : TComponent(nullptr) { FreeNotification(watched); }
    bool freed = false;

protected:
    void Notification(TComponent* component, TOperation operation) override
    {
        if (operation == TOperation::opRemove && component != this) freed = true;
        TComponent::Notification(component, operation);
    }
};

} // namespace velvane::test
