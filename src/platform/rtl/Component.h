#pragma once
// Components: objects with an owner that frees them, a name unique among the owner's
// components, and free notification.
//
// Ownership: a component created with an owner (always with new) is freed by that
// owner, last created first. Deleting a component takes it out of its owner.
//
// Notification(component, operation) tells a component that another one was added
// (opInsert) to its owner or is going away (opRemove). An owner passes every notice
// it gets on to all its components, so components with the same owner hear of each
// other. A component that refers to one outside its owner calls FreeNotification on
// it; the two then tell each other when one of them is destroyed.
//
// Destruction order: ~TComponent marks the component csDestroying, notifies the
// components registered for free notification, frees the owned components and leaves
// its owner. A descendant whose owned components or notified peers must still see it
// whole calls Destroying() and DestroyComponents() at the start of its own destructor.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/rtl/Exception.h"
#include "platform/rtl/Persistent.h"

namespace rtl {

// A bad or duplicate name.
// clang-format off
class EComponentError : public Exception { using Exception::Exception; };

enum TOperation { opInsert, opRemove };
// clang-format on

// Flags of TComponentState.
enum TComponentStateFlag : unsigned {
    csLoading = 1u << 0,
    csReading = 1u << 1,
    csWriting = 1u << 2,
    csDestroying = 1u << 3,
    csDesigning = 1u << 4,
    csUpdating = 1u << 5,
    csFreeNotification = 1u << 6,
};
using TComponentState = unsigned;

class TComponent : public TPersistent {
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* GetOwner() const { return owner_; }

    // EComponentError "'%s' is not a valid component name" (letters, digits and '_',
    // not starting with a digit, or empty) or "A component named %s already exists"
    // (among the owner's components, case ignored).
    const std::string& GetName() const { return name_; }
    virtual void SetName(const std::string& name);
    std::intptr_t GetTag() const { return tag_; }
    void SetTag(std::intptr_t tag) { tag_ = tag; }

    int GetComponentCount() const { return static_cast<int>(components_.size()); }
    // EListError "List index out of bounds (%d)" outside 0..count-1.
    TComponent* GetComponents(int index) const;
    // Position among the owner's components; -1 without owner.
    int GetComponentIndex() const;
    void SetComponentIndex(int index);
    // An owned component by name (case ignored), or nullptr.
    TComponent* FindComponent(const std::string& name) const;

    // Takes component over from its current owner (if any) and sends opInsert.
    void InsertComponent(TComponent* component);
    // Gives up ownership of component (which is not freed) after sending opRemove.
    void RemoveComponent(TComponent* component);
    // Frees every owned component, last first.
    void DestroyComponents();
    // Marks this component and its owned ones csDestroying.
    void Destroying();

    // Asks to be told (Notification with opRemove) when component is destroyed, and
    // tells component the same about this one. Nothing is registered between components
    // of the same owner: the owner tells them anyway.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    TComponentState GetComponentState() const { return state_; }
    bool HasState(TComponentStateFlag flag) const { return (state_ & flag) != 0; }
    // Marks this component and its owned ones as used in a designer.
    void SetDesigning(bool value, bool setChildren = true);
    // Loading brackets: BeginLoading sets csLoading on this component and its owned ones;
    // EndLoading calls Loaded on each of them, which clears it.
    void BeginLoading();
    void EndLoading();

    // Told of components added to the owner (opInsert) and of components going away
    // (opRemove). The base forgets a removed component's free notification and passes
    // the notice to every owned component. Overrides call it.
    virtual void Notification(TComponent* component, TOperation operation);

protected:
    // The end of loading; clears csLoading. Overrides call it.
    virtual void Loaded();

private:
    void RemoveNotification(TComponent* component); // one side of a pair

    TComponent* owner_ = nullptr;
    std::string name_;
    std::intptr_t tag_ = 0;
    TComponentState state_ = 0;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
};

} // namespace rtl
