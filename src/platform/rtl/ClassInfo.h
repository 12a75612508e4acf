#pragma once
// The class tree of run-time objects by name, read from the compiler's type information,
// and a registry that binds values to classes and finds, for an object, the value of
// its nearest registered ancestor class. Names are those of TObject::ClassName (no
// namespaces) and compare with the letter case ignored.
#include <string>
#include <typeinfo>
#include <utility>
#include <vector>

#include "platform/rtl/Persistent.h"

namespace rtl {

// The class of type and its ancestors, nearest first (breadth-first over several bases).
std::vector<std::string> ClassAncestry(const std::type_info& type);
// Steps from the class of type up to the nearest ancestor named name (0: the class
// itself), or -1 when none of them has that name.
int ClassDistance(const std::type_info& type, const std::string& name);
inline int ClassDistance(const TObject& object, const std::string& name) { return ClassDistance(typeid(object), name); }
// Class names compare with the letter case ignored.
bool SameClassName(const std::string& a, const std::string& b);

// Values bound to class names, in order of registration.
template <typename T>
class TClassRegistry {
public:
    void Register(std::string className, T value) { entries_.emplace_back(std::move(className), std::move(value)); }
    // Removes every entry of that class name.
    void Unregister(const std::string& className)
    {
        std::erase_if(entries_, [&](const auto& e) { return SameClassName(e.first, className); });
    }
    // Removes every entry of that class name that holds value.
    void Unregister(const std::string& className, const T& value)
    {
        std::erase_if(entries_, [&](const auto& e) { return SameClassName(e.first, className) && e.second == value; });
    }
    // The value of the entry whose class is the nearest ancestor of object's class
    // (the first registered on a tie), or nullptr.
    const T* Find(const TObject& object) const
    {
        const T* best = nullptr;
        int bestDistance = -1;
        for (const auto& [name, value] : entries_) {
            const int d = ClassDistance(object, name);
            if (d >= 0 && (bestDistance < 0 || d < bestDistance)) {
                best = &value;
                bestDistance = d;
            }
        }
        return best;
    }
    int Count() const { return static_cast<int>(entries_.size()); }
    void Clear() { entries_.clear(); }

private:
    std::vector<std::pair<std::string, T>> entries_;
};

} // namespace rtl
