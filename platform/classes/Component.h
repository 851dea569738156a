#pragma once
// TPersistent and TComponent: the ownership tree of the programs' objects.
//
// A component created with an owner is freed by that owner (delete it through
// the owner or directly: either way it leaves the owner's list first).
// Components that hold a non-owning link to another component ask it for a
// free notification and clear the link in Notification(..., opRemove).

#include "platform/rtl/Types.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace velvane {

class TFiler;
class TPropertyList;
class TReader;

class TPersistent {
public:
    virtual ~TPersistent() = default;
    // Copies source into this object; raises EConvertError
    // "Cannot assign a <source class> to a <this class>" when it cannot.
    virtual void Assign(const TPersistent& source);
    virtual const char* ClassName() const { return "TPersistent"; }

    // What a stored form holds of the object (Filer.h): the properties it
    // publishes, in order, base class first ...
    virtual void DeclareProperties(TPropertyList& list);
    // ... and then those it reads and writes itself (binary data and the like).
    virtual void DefineProperties(TFiler& filer);

protected:
    // Lets the source copy itself into dest; the default raises as Assign.
    virtual void AssignTo(TPersistent& dest) const;
};

enum class TOperation { opInsert, opRemove };

// ComponentState bits.
enum TComponentStateFlag : unsigned {
    csLoading = 1u << 0,
    csReading = 1u << 1,
    csWriting = 1u << 2,
    csDestroying = 1u << 3,
    csDesigning = 1u << 4,
};

class TComponent : public TPersistent {
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    const char* ClassName() const override { return "TComponent"; }

    TComponent* Owner() const { return owner_; }
    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Components(int index) const;
    TComponent* FindComponent(const String& name) const;

    const String& Name() const { return name_; }
    // A name must be an identifier and unique, without regard to case, among
    // the components of the same owner; else EComponentError.
    void SetName(const String& name);

    std::intptr_t Tag = 0;

    unsigned ComponentState() const { return state_; }
    bool Loading() const { return (state_ & csLoading) != 0; }
    bool Designing() const { return (state_ & csDesigning) != 0; }
    bool Destroying() const { return (state_ & csDestroying) != 0; }
    // Set while stored properties are being read; Loaded() clears it.
    void BeginLoading();
    void SetDesigning(bool designing);

    // Moves a component into or out of this component's ownership.
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);

    // Asks component to call this one's Notification(component, opRemove)
    // when it is destroyed (and the other way round).
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    // Frees every owned component, last first.
    void DestroyComponents();

    void DeclareProperties(TPropertyList& list) override;

    // Stored forms: the components written as this one's children. The
    // default lists the owned components when this is the root being written.
    virtual void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root);
    // Owner of the children read for this component (null: the root).
    virtual TComponent* GetChildOwner();
    // The component that is the parent while this one's children are read.
    virtual TComponent* GetChildParent();

protected:
    // Reads this component's properties and children (the reader has made it).
    virtual void ReadState(TReader& reader);

    // Told when a component is inserted into or removed from this owner, and
    // when a component this one asked for a free notification goes away.
    virtual void Notification(TComponent* component, TOperation operation);
    // Called when loading ends.
    virtual void Loaded();

    friend void LoadedComponents(TComponent* root);
    friend class TReader;

private:
    void Insert(TComponent* component);
    void Remove(TComponent* component);
    void NotifyAll(TComponent* component, TOperation operation);

    TComponent* owner_ = nullptr;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
    String name_;
    unsigned state_ = 0;
};

// Ends loading of root and every component it owns, calling Loaded() on each.
void LoadedComponents(TComponent* root);

} // namespace velvane
