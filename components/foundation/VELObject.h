#pragma once
// TVELObject: the base of the component library's persistent sub-objects
// (layouts, caption effects, the wave object) that tell their owner of every
// change.

#include "platform/classes/Component.h"
#include "platform/rtl/Types.h"

#include <functional>

namespace velvane {

// The component library's change and tick events: the sender first.
using TVELNotifyEvent = std::function<void(TPersistent* sender)>;

class TVELObject : public TPersistent {
public:
    TVELObject() = default;
    const char* ClassName() const override { return "TVELObject"; }

    TVELNotifyEvent OnChange;

    bool Updating() const { return updating_; }
    // Holds change notices back. Not nested: one EndUpdate ends any number
    // of BeginUpdate calls.
    void BeginUpdate() { updating_ = true; }
    // Ends the hold; with notify, tells of the change once (NotifyChange).
    void EndUpdate(bool notify);

    virtual void Change();
    // Fires OnChange (sender: this object) unless updating.
    virtual void NotifyChange();
    // A one-line description of the settings; empty here.
    virtual String GetSummary() const;

protected:
    // What a property setter does: store the value and tell of the change,
    // only when it differs.
    template <typename T>
    void ChangeField(T& field, const T& value)
    {
        if (field == value) return;
        field = value;
        NotifyChange();
    }

private:
    bool updating_ = false;
};

} // namespace velvane
