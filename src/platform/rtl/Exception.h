#pragma once
// Failures are exceptions that carry a message. Every layer throws one of these
// (or a descendant of its own) so that the ui layer can show one text.
#include <stdexcept>
#include <string>

namespace rtl {

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : Message(std::move(message)) {}
    const char* what() const noexcept override { return Message.c_str(); }
    std::string Message;
};

// Text that does not convert to the asked type ("'%s' is not a valid integer value").
// clang-format off
class EConvertError : public Exception { using Exception::Exception; };
// A read past the end of a stream, a write that did not complete.
class EStreamError : public Exception { using Exception::Exception; };
class EReadError : public EStreamError { using EStreamError::EStreamError; };
class EWriteError : public EStreamError { using EStreamError::EStreamError; };
// An index outside a list.
class EListError : public Exception { using Exception::Exception; };
// clang-format on
// A database, data-set or engine failure; SQLCode is the engine's code when it gave one.
class EDatabaseError : public Exception {
public:
    explicit EDatabaseError(std::string message, long sqlCode = 0)
        : Exception(std::move(message)), SQLCode(sqlCode) {}
    long SQLCode;
};
// A failing operating-system call; Code is errno.
class EOSError : public Exception {
public:
    EOSError(std::string message, int code) : Exception(std::move(message)), Code(code) {}
    int Code;
};
// clang-format off
class EThreadError : public Exception { using Exception::Exception; };
class EInvalidOperation : public Exception { using Exception::Exception; };
// clang-format on

// Raises EOSError with strerror(errno) after the given context text.
[[noreturn]] void RaiseLastOSError(const std::string& context);

} // namespace rtl
