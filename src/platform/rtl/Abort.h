#pragma once
// EAbort ends an operation without a message: the ui layer's event boundary drops it
// silently, where any other exception is reported.
#include "platform/rtl/Exception.h"

namespace rtl {

class EAbort : public Exception {
public:
    EAbort() : Exception("Operation aborted") {}
};

// Throws EAbort.
[[noreturn]] inline void Abort() { throw EAbort(); }

} // namespace rtl
