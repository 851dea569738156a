#include "platform/classes/Component.h"

#include "platform/classes/Filer.h"
#include "platform/rtl/AsciiText.h"

#include "platform/rtl/ErrorTexts.h"
#include "platform/rtl/Exceptions.h"

#include <algorithm>

namespace velvane {

namespace {

bool IsIdentStart(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool IsIdentChar(char c)
{
    return IsIdentStart(c) || (c >= '0' && c <= '9');
}

bool IsValidIdent(const String& name)
{
    if (name.empty() || !IsIdentStart(name[0])) return false;
    return std::all_of(name.begin() + 1, name.end(), IsIdentChar);
}

void Erase(std::vector<TComponent*>& list, TComponent* component)
{
    auto it = std::find(list.begin(), list.end(), component);
    if (it != list.end()) list.erase(it);
}

} // namespace

// ---------------------------------------------------------------- TPersistent

void TPersistent::Assign(const TPersistent& source)
{
    source.AssignTo(*this);
}

void TPersistent::AssignTo(TPersistent& dest) const
{
    throw EConvertError(String("Cannot assign a ") + ClassName() + " to a " + dest.ClassName());
}

void TPersistent::DeclareProperties(TPropertyList&) {}

void TPersistent::DefineProperties(TFiler&) {}

// ----------------------------------------------------------------- TComponent

TComponent::TComponent(TComponent* owner)
{
    if (!owner) return;
    try {
        owner->InsertComponent(this);
    } catch (...) {
        // No destructor runs for a half-built object: leave no pointer to it.
        if (owner_) owner_->Remove(this);
        throw;
    }
}

TComponent::~TComponent()
{
    state_ |= csDestroying;

    // Unlink both ways before telling, so that neither side can keep a
    // pointer to the other once this destructor is done.
    while (!freeNotifies_.empty()) {
        TComponent* other = freeNotifies_.back();
        freeNotifies_.pop_back();
        Erase(other->freeNotifies_, this);
        try {
            other->Notification(this, TOperation::opRemove);
        } catch (...) {
            // A destructor cannot pass it on; the links are already gone.
        }
    }

    DestroyComponents();

    if (owner_) {
        try {
            owner_->RemoveComponent(this);
        } catch (...) {
        }
        if (owner_) owner_->Remove(this);
    }
}

TComponent* TComponent::Components(int index) const
{
    if (index < 0 || index >= ComponentCount())
        throw EListError(ErrorText(TErrorText::ListIndex, {index}));
    return components_[static_cast<std::size_t>(index)];
}

TComponent* TComponent::FindComponent(const String& name) const
{
    if (name.empty()) return nullptr;
    for (TComponent* component : components_)
        if (SameTextAscii(component->name_, name)) return component;
    return nullptr;
}

void TComponent::SetName(const String& name)
{
    if (name == name_) return;
    if (!name.empty() && !IsValidIdent(name))
        throw EComponentError("'" + name + "' is not a valid component name");
    if (owner_ && !name.empty()) {
        TComponent* existing = owner_->FindComponent(name);
        if (existing && existing != this) throw EComponentError("A component named " + name + " already exists");
    }
    name_ = name;
}

void TComponent::BeginLoading()
{
    state_ |= csLoading;
}

void TComponent::SetDesigning(bool designing)
{
    if (designing)
        state_ |= csDesigning;
    else
        state_ &= ~static_cast<unsigned>(csDesigning);
    for (TComponent* component : components_) component->SetDesigning(designing);
}

void TComponent::InsertComponent(TComponent* component)
{
    if (!component || component->owner_ == this) return;
    for (const TComponent* up = this; up; up = up->owner_)
        if (up == component) throw EComponentError("A component cannot own itself or its owner");
    if (!component->name_.empty() && FindComponent(component->name_))
        throw EComponentError("A component named " + component->name_ + " already exists");

    if (component->owner_) component->owner_->RemoveComponent(component);
    Insert(component);
    if (Designing()) component->SetDesigning(true);
    NotifyAll(component, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* component)
{
    if (!component || component->owner_ != this) return;
    // Told while still in the list, as on insertion, so the same set hears both.
    NotifyAll(component, TOperation::opRemove);
    Remove(component);
}

void TComponent::FreeNotification(TComponent* component)
{
    if (!component || component == this) return;
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end())
        freeNotifies_.push_back(component);
    if (std::find(component->freeNotifies_.begin(), component->freeNotifies_.end(), this)
        == component->freeNotifies_.end())
        component->freeNotifies_.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* component)
{
    if (!component) return;
    Erase(freeNotifies_, component);
    Erase(component->freeNotifies_, this);
}

void TComponent::DestroyComponents()
{
    while (!components_.empty()) {
        TComponent* component = components_.back();
        Remove(component);
        delete component;
    }
}

void TComponent::Notification(TComponent*, TOperation)
{
}

void TComponent::DeclareProperties(TPropertyList& list)
{
    TPersistent::DeclareProperties(list);
    list.Integer("Tag", [this] { return static_cast<std::int64_t>(Tag); },
                 [this](std::int64_t v) { Tag = static_cast<std::intptr_t>(v); })
        .Default(0);
}

void TComponent::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root)
{
    if (root != this) return;
    // By index: the callback may not change the list, but be safe anyway.
    for (std::size_t i = 0; i < components_.size(); ++i) proc(components_[i]);
}

TComponent* TComponent::GetChildOwner() { return nullptr; }

TComponent* TComponent::GetChildParent() { return this; }

void TComponent::ReadState(TReader& reader)
{
    reader.ReadData(this);
}

void TComponent::Loaded()
{
    state_ &= ~static_cast<unsigned>(csLoading);
}

void TComponent::Insert(TComponent* component)
{
    components_.push_back(component);
    component->owner_ = this;
}

void TComponent::Remove(TComponent* component)
{
    Erase(components_, component);
    component->owner_ = nullptr;
}

void TComponent::NotifyAll(TComponent* component, TOperation operation)
{
    Notification(component, operation);
    // By index: a handler may free or add components while we walk the list.
    for (std::size_t i = components_.size(); i-- > 0;) {
        if (i < components_.size()) components_[i]->Notification(component, operation);
    }
}

void LoadedComponents(TComponent* root)
{
    if (!root) return;
    for (std::size_t i = 0; i < root->components_.size(); ++i) {
        TComponent* component = root->components_[i];
        component->Loaded();
        component->state_ &= ~static_cast<unsigned>(csLoading);
    }
    root->Loaded();
    root->state_ &= ~static_cast<unsigned>(csLoading);
}

} // namespace velvane
