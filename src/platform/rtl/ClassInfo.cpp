#include "platform/rtl/ClassInfo.h"

#include <cxxabi.h>

#include <cstdlib>
#include <deque>
#include <memory>
#include <set>
#include <strings.h>

namespace rtl {

namespace {

// The class name of a type without namespaces, as TObject::ClassName gives it.
std::string NameOf(const std::type_info& type)
{
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(abi::__cxa_demangle(type.name(), nullptr, nullptr, &status),
                                                     std::free);
    std::string name = status == 0 && demangled ? demangled.get() : type.name();
    const std::size_t colon = name.rfind("::");
    return colon == std::string::npos ? name : name.substr(colon + 2);
}

// The direct bases of a class type, from the compiler's type information.
std::vector<const std::type_info*> BasesOf(const std::type_info& type)
{
    std::vector<const std::type_info*> bases;
    if (auto* single = dynamic_cast<const abi::__si_class_type_info*>(&type)) {
        bases.push_back(single->__base_type);
    } else if (auto* several = dynamic_cast<const abi::__vmi_class_type_info*>(&type)) {
        for (unsigned i = 0; i < several->__base_count; ++i) bases.push_back(several->__base_info[i].__base_type);
    }
    return bases;
}

// Visits the class and its ancestors nearest first; stops when visit returns true.
template <typename F>
void WalkAncestry(const std::type_info& type, F visit)
{
    std::deque<std::pair<const std::type_info*, int>> queue{{&type, 0}};
    std::set<const std::type_info*> seen;
    while (!queue.empty()) {
        auto [t, depth] = queue.front();
        queue.pop_front();
        if (!seen.insert(t).second) continue;
        if (visit(*t, depth)) return;
        for (const std::type_info* base : BasesOf(*t)) queue.emplace_back(base, depth + 1);
    }
}

} // namespace

bool SameClassName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && ::strncasecmp(a.c_str(), b.c_str(), a.size()) == 0;
}

std::vector<std::string> ClassAncestry(const std::type_info& type)
{
    std::vector<std::string> names;
    WalkAncestry(type, [&](const std::type_info& t, int) {
        names.push_back(NameOf(t));
        return false;
    });
    return names;
}

int ClassDistance(const std::type_info& type, const std::string& name)
{
    int found = -1;
    WalkAncestry(type, [&](const std::type_info& t, int depth) {
        if (!SameClassName(NameOf(t), name)) return false;
        found = depth;
        return true;
    });
    return found;
}

} // namespace rtl
