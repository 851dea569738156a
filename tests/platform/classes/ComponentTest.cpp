#include "platform/classes/Component.h"
#include "platform/rtl/Exceptions.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

using namespace velvane;

namespace {

// Writes what happens to it into a shared log: "<name>:+<other>" on insert,
// "<name>:-<other>" on remove, "~<name>" when destroyed, "<name>:loaded".
class Logged : public TComponent {
public:
    Logged(TComponent* owner, const String& name, std::vector<std::string>& log) : TComponent(owner), log_(log)
    {
        SetName(name);
    }
    ~Logged() override { log_.push_back("~" + Name()); }
    const char* ClassName() const override { return "Logged"; }

    // A non-owning link, cleared when the target goes away.
    TComponent* Link = nullptr;
    void SetLink(TComponent* target)
    {
        if (Link) RemoveFreeNotification(Link);
        Link = target;
        if (target) FreeNotification(target);
    }
    bool LoadingSeenInLoaded = true;

protected:
    void Notification(TComponent* component, TOperation operation) override
    {
        TComponent::Notification(component, operation);
        log_.push_back(Name() + (operation == TOperation::opInsert ? ":+" : ":-") + component->Name());
        if (operation == TOperation::opRemove && component == Link) Link = nullptr;
    }
    void Loaded() override
    {
        TComponent::Loaded();
        LoadingSeenInLoaded = Loading();
        log_.push_back(Name() + ":loaded");
    }

private:
    std::vector<std::string>& log_;
};

class Refusing : public TComponent {
public:
    using TComponent::TComponent;

protected:
    void Notification(TComponent*, TOperation operation) override
    {
        if (operation == TOperation::opInsert) throw EComponentError("refused");
    }
};

using Log = std::vector<std::string>;

} // namespace

TEST(ComponentOwnership, OwnerFreesTheWholeTreeLastFirst)
{
    Log log;
    auto* root = new Logged(nullptr, "Root", log);
    auto* a = new Logged(root, "A", log);
    new Logged(a, "A1", log);
    new Logged(root, "B", log);
    ASSERT_EQ(root->ComponentCount(), 2);
    EXPECT_EQ(a->Owner(), root);
    log.clear();

    delete root;
    // Owned components are freed silently (nobody left to care), last first,
    // and each owner goes after its own components.
    EXPECT_EQ(log, (Log{"~Root", "~B", "~A", "~A1"}));
}

TEST(ComponentOwnership, DeletingAChildDirectlyTakesItOutOfTheOwner)
{
    Log log;
    auto root = std::make_unique<Logged>(nullptr, "Root", log);
    auto* a = new Logged(root.get(), "A", log);
    auto* b = new Logged(root.get(), "B", log);
    new Logged(b, "B1", log);
    log.clear();

    delete b;
    ASSERT_EQ(root->ComponentCount(), 1);
    EXPECT_EQ(root->Components(0), a);
    EXPECT_EQ(root->FindComponent("B"), nullptr);
    // B's derived part is gone before it leaves its owner, so only the others
    // hear of it; B1 dies with B without any notice to the root.
    EXPECT_EQ(log, (Log{"~B", "~B1", "Root:-B", "A:-B"}));

    log.clear();
    root.reset();
    EXPECT_EQ(log, (Log{"~Root", "~A"}));
}

TEST(ComponentOwnership, MovingBetweenOwnersNotifiesBothSides)
{
    Log log;
    Logged first(nullptr, "First", log);
    Logged second(nullptr, "Second", log);
    auto* c = new Logged(&first, "C", log);
    new Logged(&second, "Other", log);
    log.clear();

    second.InsertComponent(c);
    EXPECT_EQ(c->Owner(), &second);
    EXPECT_EQ(first.ComponentCount(), 0);
    EXPECT_EQ(second.ComponentCount(), 2);
    EXPECT_EQ(log, (Log{"First:-C", "C:-C", "Second:+C", "C:+C", "Other:+C"}));

    // A clash of names in the new owner leaves the component where it was.
    auto* clash = new Logged(&first, "other", log);
    EXPECT_THROW(second.InsertComponent(clash), EComponentError);
    EXPECT_EQ(clash->Owner(), &first);

    // No ownership cycles.
    EXPECT_THROW(c->InsertComponent(&second), EComponentError);
    EXPECT_THROW(c->InsertComponent(c), EComponentError);
    EXPECT_EQ(c->Owner(), &second);
}

TEST(ComponentOwnership, AFailedInsertLeavesNoDanglingChild)
{
    Refusing owner(nullptr);
    // The owner refuses in Notification: construction fails and the owner
    // must not keep the pointer (it would free it a second time).
    EXPECT_THROW(new TComponent(&owner), EComponentError);
    EXPECT_EQ(owner.ComponentCount(), 0);
}

TEST(ComponentNotification, InsertAndRemoveReachTheOwnerThenItsComponentsLastFirst)
{
    Log log;
    Logged root(nullptr, "Root", log);
    auto* a = new Logged(&root, "A", log);
    new Logged(&root, "B", log);
    // While a component is being built its own override is not in place
    // yet, so A hears of B but not of itself.
    EXPECT_EQ(log, (Log{"Root:+", "Root:+", "A:+"}));
    log.clear();

    auto* c = new Logged(&root, "", log);
    log.clear();
    c->SetName("C");
    root.RemoveComponent(c);
    EXPECT_EQ(c->Owner(), nullptr);
    EXPECT_EQ(log, (Log{"Root:-C", "C:-C", "B:-C", "A:-C"}));
    log.clear();
    delete c;
    EXPECT_EQ(log, (Log{"~C"}));
    log.clear();

    // Deleting directly notifies everyone that is left.
    delete a;
    EXPECT_EQ(log, (Log{"~A", "Root:-A", "B:-A"}));
}

TEST(ComponentNotification, FreeNotificationClearsTheLinkWhenTheTargetGoesFirst)
{
    Log log;
    auto holder = std::make_unique<Logged>(nullptr, "Holder", log);
    auto* target = new Logged(nullptr, "Target", log);
    holder->SetLink(target);
    log.clear();

    delete target;
    EXPECT_EQ(holder->Link, nullptr);
    EXPECT_EQ(log, (Log{"~Target", "Holder:-Target"}));
}

TEST(ComponentNotification, FreeNotificationIsDroppedWhenTheHolderGoesFirst)
{
    Log log;
    auto target = std::make_unique<Logged>(nullptr, "Target", log);
    alignas(Logged) unsigned char storage[sizeof(Logged)];
    auto* holder = new (storage) Logged(nullptr, "Holder", log);
    holder->SetLink(target.get());
    log.clear();

    // The target must forget the holder: scrubbed, the holder's memory makes
    // any later call through a stale pointer crash here.
    holder->~Logged();
    std::memset(storage, 0, sizeof storage);
    EXPECT_EQ(log, (Log{"~Holder", "Target:-Holder"}));
    log.clear();
    target.reset();
    EXPECT_EQ(log, (Log{"~Target"}));
}

TEST(ComponentNotification, RemovedFreeNotificationIsNotSent)
{
    Log log;
    Logged holder(nullptr, "Holder", log);
    auto* first = new Logged(nullptr, "First", log);
    auto* second = new Logged(nullptr, "Second", log);
    holder.SetLink(first);
    holder.SetLink(second);   // drops the request on first
    log.clear();

    delete first;
    EXPECT_EQ(log, (Log{"~First"}));
    EXPECT_EQ(holder.Link, second);
    delete second;
    EXPECT_EQ(holder.Link, nullptr);
}

TEST(ComponentNotification, SiblingLinksSurviveTheOwnerFreeingThem)
{
    Log log;
    auto* root = new Logged(nullptr, "Root", log);
    auto* a = new Logged(root, "A", log);
    auto* b = new Logged(root, "B", log);
    auto* outside = new Logged(nullptr, "Outside", log);
    a->SetLink(b);
    b->SetLink(a);
    outside->SetLink(a);
    log.clear();

    delete root;   // B goes first and A is told; then A goes and Outside is told
    EXPECT_EQ(outside->Link, nullptr);
    EXPECT_EQ(log, (Log{"~Root", "~B", "A:-B", "~A", "Outside:-A"}));
    delete outside;
}

TEST(ComponentNames, MustBeIdentifiersUniqueWithoutRegardToCase)
{
    Log log;
    Logged root(nullptr, "Root", log);
    auto* a = new Logged(&root, "Button1", log);
    auto* b = new TComponent(&root);

    for (const char* good : {"_x", "a", "Z9_", "Edit_2"}) EXPECT_NO_THROW(b->SetName(good)) << good;
    for (const char* bad : {"1a", "a b", "a-b", "é", " a", "a."}) {
        try {
            b->SetName(bad);
            ADD_FAILURE() << "accepted " << bad;
        } catch (const EComponentError& e) {
            EXPECT_EQ(e.Message(), std::string("'") + bad + "' is not a valid component name");
        }
    }
    EXPECT_EQ(b->Name(), "Edit_2");

    try {
        b->SetName("BUTTON1");
        ADD_FAILURE() << "duplicate accepted";
    } catch (const EComponentError& e) {
        EXPECT_EQ(e.Message(), "A component named BUTTON1 already exists");
    }
    EXPECT_EQ(b->Name(), "Edit_2");

    // Changing the case of its own name is no clash; empty names never clash.
    EXPECT_NO_THROW(a->SetName("BUTTON1"));
    EXPECT_NO_THROW(a->SetName(""));
    EXPECT_NO_THROW(b->SetName(""));
    EXPECT_EQ(root.FindComponent(""), nullptr);

    a->SetName("Button1");
    EXPECT_EQ(root.FindComponent("button1"), a);
    EXPECT_EQ(root.FindComponent("BUTTON1"), a);
    EXPECT_EQ(root.FindComponent("Button"), nullptr);

    // Components without an owner are not compared with anything.
    Logged loose(nullptr, "Button1", log);
    EXPECT_EQ(loose.Name(), "Button1");
}

TEST(ComponentNames, ComponentsIndexIsChecked)
{
    TComponent root(nullptr);
    auto* a = new TComponent(&root);
    EXPECT_EQ(root.Components(0), a);
    try {
        root.Components(1);
        ADD_FAILURE();
    } catch (const EListError& e) {
        EXPECT_EQ(e.Message(), "Índice de lista fora dos limites (1)");
    }
    EXPECT_THROW(root.Components(-1), EListError);
}

TEST(ComponentState, LoadedComponentsEndsLoadingChildrenFirst)
{
    Log log;
    Logged root(nullptr, "Root", log);
    auto* a = new Logged(&root, "A", log);
    auto* b = new Logged(&root, "B", log);
    for (TComponent* c : {static_cast<TComponent*>(&root), static_cast<TComponent*>(a), static_cast<TComponent*>(b)}) {
        c->BeginLoading();
        EXPECT_TRUE(c->Loading());
        EXPECT_TRUE(c->ComponentState() & csLoading);
    }
    log.clear();

    LoadedComponents(&root);
    EXPECT_EQ(log, (Log{"A:loaded", "B:loaded", "Root:loaded"}));
    EXPECT_FALSE(root.Loading());
    EXPECT_FALSE(a->Loading());
    EXPECT_FALSE(b->Loading());
    EXPECT_FALSE(a->LoadingSeenInLoaded);
}

TEST(ComponentState, DesigningReachesTheWholeTreeAndNewcomers)
{
    TComponent root(nullptr);
    auto* a = new TComponent(&root);
    auto* a1 = new TComponent(a);
    root.SetDesigning(true);
    EXPECT_TRUE(root.Designing());
    EXPECT_TRUE(a->Designing());
    EXPECT_TRUE(a1->Designing());

    auto* late = new TComponent(&root);
    EXPECT_TRUE(late->Designing());

    root.SetDesigning(false);
    EXPECT_FALSE(a1->Designing());
    EXPECT_FALSE(late->Designing());
    EXPECT_FALSE(root.Destroying());
}

namespace {

class Point : public TPersistent {
public:
    int X = 0;
    const char* ClassName() const override { return "Point"; }
    void Assign(const TPersistent& source) override
    {
        if (auto* p = dynamic_cast<const Point*>(&source)) {
            X = p->X;
            return;
        }
        TPersistent::Assign(source);
    }
};

// Knows how to put itself into a Point, which does not know about it.
class Scalar : public TPersistent {
public:
    int Value = 0;
    const char* ClassName() const override { return "Scalar"; }

protected:
    void AssignTo(TPersistent& dest) const override
    {
        if (auto* p = dynamic_cast<Point*>(&dest)) {
            p->X = Value;
            return;
        }
        TPersistent::AssignTo(dest);
    }
};

} // namespace

TEST(Persistent, AssignFallsBackOnTheSourceThenRaises)
{
    Point p, q;
    q.X = 3;
    p.Assign(q);
    EXPECT_EQ(p.X, 3);

    Scalar s;
    s.Value = 7;
    p.Assign(s);
    EXPECT_EQ(p.X, 7);

    try {
        s.Assign(p);
        ADD_FAILURE();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a Point to a Scalar");
    }
    TComponent c(nullptr);
    EXPECT_THROW(c.Assign(p), EConvertError);
}
