#include <gtest/gtest.h>

#include "platform/rtl/Component.h"

using namespace rtl;

namespace {

// Records the notices it gets and drops its reference when the referenced component goes.
class Watcher : public TComponent {
public:
    Watcher(TComponent* owner, std::vector<std::string>* log) : TComponent(owner), log_(log) {}
    ~Watcher() override
    {
        // Owned components go while this one is still whole (and hears of them).
        Destroying();
        DestroyComponents();
        if (log_) log_->push_back("free " + GetName());
    }

    void SetLink(TComponent* c)
    {
        if (link_) link_->RemoveFreeNotification(this);
        link_ = c;
        if (c) c->FreeNotification(this);
    }
    TComponent* Link() const { return link_; }

    void Notification(TComponent* component, TOperation operation) override
    {
        TComponent::Notification(component, operation);
        if (log_ && component != this)
            log_->push_back(GetName() + (operation == opInsert ? " +" : " -") + component->GetName());
        if (operation == opRemove && component == link_) link_ = nullptr;
    }

private:
    std::vector<std::string>* log_;
    TComponent* link_ = nullptr;
};

Watcher* Make(TComponent* owner, const std::string& name, std::vector<std::string>* log)
{
    auto* w = new Watcher(owner, log);
    w->SetName(name);
    return w;
}

} // namespace

TEST(Component, OwnerFreesItsComponentsLastFirst)
{
    std::vector<std::string> log;
    auto* owner = new Watcher(nullptr, &log);
    owner->SetName("Form");
    Make(owner, "A", &log);
    Watcher* b = Make(owner, "B", &log);
    Make(b, "B1", &log);
    Make(owner, "C", &log);
    EXPECT_EQ(owner->GetComponentCount(), 3);
    EXPECT_EQ(owner->FindComponent("b"), b);
    EXPECT_EQ(b->GetComponentIndex(), 1);
    EXPECT_EQ(owner->GetComponents(2)->GetName(), "C");
    EXPECT_THROW(owner->GetComponents(3), EListError);

    log.clear();
    delete owner;
    // C goes first, then B (which frees B1), then A. Every removal is told to the
    // owner, which passes it down to all its components (B passes it on to B1).
    const std::vector<std::string> expected{
        "B1 -C", "B -C", "A -C", "Form -C", "free C",
        "B1 -B", "A -B", "Form -B", "B -B1", "free B1", "free B",
        "Form -A", "free A", "free Form"};
    EXPECT_EQ(log, expected);
}

TEST(Component, FreeNotificationAcrossOwners)
{
    std::vector<std::string> log;
    TComponent formA(nullptr), formB(nullptr);
    Watcher* user = Make(&formA, "Grid", &log);
    Watcher* source = Make(&formB, "Source", &log);
    user->SetLink(source);
    EXPECT_TRUE(source->HasState(csFreeNotification));

    log.clear();
    delete source;
    EXPECT_EQ(user->Link(), nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"free Source", "Grid -Source"}));

    // The other way round: the referring component goes first and the referenced one
    // no longer tells it anything.
    Watcher* source2 = Make(&formB, "Source2", &log);
    Watcher* user2 = Make(&formA, "Grid2", &log);
    user2->SetLink(source2);
    delete user2;
    log.clear();
    delete source2;
    EXPECT_EQ(log, (std::vector<std::string>{"free Source2"}));

    // RemoveFreeNotification ends it on both sides.
    Watcher* source3 = Make(&formB, "Source3", &log);
    user->SetLink(source3);
    user->SetLink(nullptr);
    log.clear();
    delete source3;
    EXPECT_EQ(log, (std::vector<std::string>{"free Source3"}));
}

TEST(Component, InsertNoticesNamesAndState)
{
    std::vector<std::string> log;
    TComponent root(nullptr);
    Watcher* a = Make(&root, "A", &log);
    log.clear();
    Watcher* b = Make(&root, "", &log);
    EXPECT_EQ(log, (std::vector<std::string>{"A +"})); // told while b has no name yet

    EXPECT_THROW(b->SetName("a"), EComponentError); // names are unique, case ignored
    try {
        b->SetName("1x");
        FAIL();
    } catch (const EComponentError& e) {
        EXPECT_EQ(e.Message, "'1x' is not a valid component name");
    }
    a->SetName("a"); // a case change of its own name is allowed
    b->SetName("B_2");

    // Moving a component to another owner.
    TComponent other(nullptr);
    other.InsertComponent(b);
    EXPECT_EQ(b->GetOwner(), &other);
    EXPECT_EQ(root.GetComponentCount(), 1);
    b->SetComponentIndex(5);
    EXPECT_EQ(b->GetComponentIndex(), 0);

    root.SetDesigning(true);
    EXPECT_TRUE(a->HasState(csDesigning));
    root.InsertComponent(new TComponent(nullptr));
    EXPECT_TRUE(root.GetComponents(1)->HasState(csDesigning));

    root.BeginLoading();
    EXPECT_TRUE(a->HasState(csLoading));
    root.EndLoading();
    EXPECT_FALSE(a->HasState(csLoading));
    EXPECT_FALSE(root.HasState(csLoading));

    root.Destroying();
    EXPECT_TRUE(a->HasState(csDestroying));
}
