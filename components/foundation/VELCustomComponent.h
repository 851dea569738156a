#pragma once
// TVELCustomComponent: the base of the component library's non-visual
// components (containers, list items, the settings control, the timer pool,
// the tray icon, the high-resolution timer).

#include "components/foundation/VELObject.h"
#include "platform/classes/Component.h"

namespace velvane {

// The text of the "About" property: shown by designers, no behaviour.
using TVELAboutVar = String;

class TVELCustomComponent : public TComponent {
public:
    explicit TVELCustomComponent(TComponent* owner) : TComponent(owner) {}
    const char* ClassName() const override { return "TVELCustomComponent"; }

    TVELAboutVar About;
    TVELNotifyEvent OnChange;

    bool Updating() const { return updating_; }
    // Not nested: one EndUpdate ends any number of BeginUpdate calls.
    void BeginUpdate() { updating_ = true; }
    // Ends the hold; with notify, tells of the change once (NotifyChange).
    void EndUpdate(bool notify);

    virtual void Change();
    // Fires OnChange (sender: this component) unless updating.
    virtual void NotifyChange();

    void DeclareProperties(TPropertyList& list) override;

private:
    bool updating_ = false;
};

} // namespace velvane
