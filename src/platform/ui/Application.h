#pragma once
// The application's exception handler and the event-boundary guard.
//
// No exception may leave a Qt event handler: every handler of the windowing layer
// runs its work through Guarded, which hands a failure to the exception handler.
// The default handler shows the message in an error box captioned "Error"; the
// program or a test may install its own. rtl::EAbort is dropped silently before any
// handler sees it: it ends an operation without a message. Failures the runtime
// reports (rtl::MainThread::ReportUnhandled) come here as well.
#include <exception>
#include <functional>
#include <string>

namespace ui {

using TExceptionHandler = std::function<void(std::exception_ptr)>;

// Installs the handler; an empty one restores the default.
void SetExceptionHandler(TExceptionHandler handler);
// Passes a caught exception to the handler (an EAbort to nobody). Never throws.
void HandleException(std::exception_ptr e) noexcept;
// The message of an exception ("Unknown exception" for one that is not std::exception).
std::string ExceptionMessage(std::exception_ptr e);

// Runs work; a failure goes to HandleException. Returns false when work threw.
template <typename F>
bool Guarded(F&& work) noexcept
{
    try {
        work();
        return true;
    } catch (...) {
        HandleException(std::current_exception());
        return false;
    }
}

// Runs the pending window events (and queued main-thread calls) once.
void ProcessMessages();

// True while the application object is being destroyed and after it is gone (the
// destructors of statics run then): fonts and screens are gone with it, so nothing may
// measure text any more.
bool ApplicationGoingAway();

} // namespace ui
