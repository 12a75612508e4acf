#pragma once
// The root of the runtime's class tree: TObject (a polymorphic base with its class
// name), the notify event every "OnChange"-style event uses, and TPersistent, an
// object whose state can be copied from another with Assign.
#include <string>

#include "platform/rtl/Delegate.h"

namespace rtl {

class TObject {
public:
    virtual ~TObject() = default;
    // The class name without namespaces ("TStringList").
    std::string ClassName() const;
};

// An event that only names its sender.
using TNotifyEvent = Delegate<void(TObject* sender)>;

// Horizontal alignment of a text, shared by fields and the controls that show them.
// clang-format off
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
// clang-format on

class TPersistent : public TObject {
public:
    // Copies the state of source. The default asks the source to copy itself into this
    // object (AssignTo); when neither side knows the other: EConvertError
    // "Cannot assign a <source class> to a <this class>" ("nil" for no source).
    virtual void Assign(const TPersistent* source);

protected:
    // The reverse direction of Assign, for a source that knows how to fill its destination.
    virtual void AssignTo(TPersistent* dest) const;
    [[noreturn]] void AssignError(const TPersistent* source) const;
};

} // namespace rtl
