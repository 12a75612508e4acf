#include "platform/ui/Application.h"

#include <cstdio>

#include <QCoreApplication>

#include "platform/rtl/Abort.h"
#include "platform/rtl/Thread.h"
#include "platform/ui/Dialogs.h"

namespace ui {

namespace {
TExceptionHandler& handler()
{
    static TExceptionHandler h;
    return h;
}

// What the main thread runs for other threads (the transports' deliveries) reports its
// failures through the runtime: they reach the application's handler too.
[[maybe_unused]] const bool kRuntimeReportsHere = [] {
    rtl::MainThread::SetUnhandledExceptionHandler([](std::exception_ptr e) { HandleException(e); });
    return true;
}();
} // namespace

void SetExceptionHandler(TExceptionHandler h) { handler() = std::move(h); }

std::string ExceptionMessage(std::exception_ptr e)
{
    try {
        if (e) std::rethrow_exception(e);
    } catch (const std::exception& ex) {
        return ex.what();
    } catch (...) {
    }
    return "Unknown exception";
}

void HandleException(std::exception_ptr e) noexcept
{
    try {
        // An abort ends the operation, and that is all it says.
        try {
            if (e) std::rethrow_exception(e);
        } catch (const rtl::EAbort&) {
            return;
        } catch (...) {
        }
        if (handler())
            handler()(e);
        else
            MessageDlg(ExceptionMessage(e), mtError, mbOK);
    } catch (...) {
        // The handler itself failed: nothing is left to report to but the console.
        std::fprintf(stderr, "exception in the exception handler: %s\n",
                     ExceptionMessage(std::current_exception()).c_str());
    }
}

void ProcessMessages()
{
    if (rtl::MainThread::IsCurrent()) rtl::MainThread::CheckSynchronize();
    QCoreApplication::processEvents();
}

bool ApplicationGoingAway()
{
    return !QCoreApplication::instance() || QCoreApplication::closingDown();
}

} // namespace ui
