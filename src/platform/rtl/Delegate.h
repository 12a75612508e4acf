#pragma once
// Comparable method pointers ("object + member function"), the form every event and
// listener of the program takes, and the listener list whose Add toggles.
#include <cstddef>
#include <cstring>
#include <functional>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

namespace rtl {

template <typename Sig> class Delegate;

// A method bound to an object. Two delegates are equal when they name the same
// method of the same object, so a listener can be found again and removed.
template <typename R, typename... A>
class Delegate<R(A...)> {
public:
    Delegate() = default;
    Delegate(std::nullptr_t) {}

    template <typename C>
    Delegate(C* object, R (C::*method)(A...)) { bind(object, method); }
    template <typename C>
    Delegate(const C* object, R (C::*method)(A...) const) { bind(object, method); }

    // A free callable; every call to FromFunction makes a delegate equal only to its copies.
    static Delegate FromFunction(std::function<R(A...)> fn)
    {
        Delegate d;
        auto holder = std::make_shared<std::function<R(A...)>>(std::move(fn));
        d.object_ = holder.get();
        d.keepAlive_ = holder;
        d.thunk_ = [](void* obj, const Storage&, A... args) -> R {
            return (*static_cast<std::function<R(A...)>*>(obj))(std::forward<A>(args)...);
        };
        return d;
    }

    explicit operator bool() const { return thunk_ != nullptr; }
    bool Assigned() const { return thunk_ != nullptr; }
    const void* Object() const { return object_; }

    R operator()(A... args) const { return thunk_(object_, method_, std::forward<A>(args)...); }

    friend bool operator==(const Delegate& a, const Delegate& b)
    {
        return a.object_ == b.object_ && a.thunk_ == b.thunk_
               && std::memcmp(a.method_.bytes, b.method_.bytes, sizeof a.method_.bytes) == 0;
    }

private:
    // clang-format off
    struct Storage { alignas(std::max_align_t) unsigned char bytes[2 * sizeof(void*)] = {}; };
    // clang-format on
    using Thunk = R (*)(void*, const Storage&, A...);

    template <typename C, typename M>
    void bind(C* object, M method)
    {
        static_assert(sizeof(M) <= sizeof(Storage::bytes), "member pointer too large");
        object_ = const_cast<void*>(static_cast<const void*>(object));
        std::memcpy(method_.bytes, &method, sizeof(M));
        thunk_ = [](void* obj, const Storage& st, A... args) -> R {
            M m;
            std::memcpy(&m, st.bytes, sizeof(M));
            return (static_cast<C*>(obj)->*m)(std::forward<A>(args)...);
        };
    }

    void* object_ = nullptr;
    Storage method_;
    Thunk thunk_ = nullptr;
    std::shared_ptr<void> keepAlive_;
};

// Listeners in registration order. Adding a delegate already present removes it by
// leaving an empty slot (so an iteration in progress is not disturbed); dispatch
// skips empty slots. Adding it once more appends it again.
template <typename Sig>
class ListenerList {
public:
    using Item = Delegate<Sig>;

    // Returns true when the delegate was added, false when this call removed it.
    bool Add(const Item& d)
    {
        if (!d) return false;
        // clang-format off
        for (auto& it : items_)
            if (it == d) { it = Item(); return false; }
        // clang-format on
        items_.push_back(d);
        return true;
    }
    void Remove(const Item& d)
    {
        for (auto& it : items_)
            if (it == d) it = Item();
    }
    bool Contains(const Item& d) const
    {
        for (auto& it : items_)
            if (d && it == d) return true;
        return false;
    }
    void Clear() { items_.clear(); }
    // Slots including holes, as the list keeps them.
    std::size_t Count() const { return items_.size(); }
    const Item& operator[](std::size_t i) const { return items_[i]; }

    template <typename... A>
    void Dispatch(A&&... args) const
    {
        // Index loop: a listener may add to the list while it is being called.
        for (std::size_t i = 0; i < items_.size(); ++i) {
            Item d = items_[i];
            if (d) d(args...);
        }
    }

private:
    std::vector<Item> items_;
};

} // namespace rtl
