#pragma once
// The exception family of the programs. Errors travel as these; they stop at
// the event loop, where the application object hands them to its handler.
// ClassName() gives the exact class name, which error handlers dispatch on.

#include "platform/rtl/Types.h"

#include <exception>

namespace velvane {

class Exception : public std::exception {
public:
    explicit Exception(String message) : message_(std::move(message)) {}

    const String& Message() const noexcept { return message_; }
    void SetMessage(String message) { message_ = std::move(message); }
    const char* what() const noexcept override { return message_.c_str(); }
    virtual const char* ClassName() const noexcept { return "Exception"; }

private:
    String message_;
};

#define VELVANE_DECLARE_EXCEPTION(Name, Base)                                   \
    class Name : public Base {                                                  \
    public:                                                                     \
        using Base::Base;                                                       \
        const char* ClassName() const noexcept override { return #Name; }       \
    }

VELVANE_DECLARE_EXCEPTION(EConvertError, Exception);
VELVANE_DECLARE_EXCEPTION(EVariantError, Exception);
VELVANE_DECLARE_EXCEPTION(EListError, Exception);
VELVANE_DECLARE_EXCEPTION(EStreamError, Exception);
VELVANE_DECLARE_EXCEPTION(EFOpenError, EStreamError);
VELVANE_DECLARE_EXCEPTION(EFCreateError, EStreamError);
VELVANE_DECLARE_EXCEPTION(EReadError, EStreamError);
VELVANE_DECLARE_EXCEPTION(EWriteError, EStreamError);
VELVANE_DECLARE_EXCEPTION(EInOutError, Exception);
VELVANE_DECLARE_EXCEPTION(EOSError, Exception);
VELVANE_DECLARE_EXCEPTION(ERegistryException, Exception);
VELVANE_DECLARE_EXCEPTION(EComponentError, Exception);
VELVANE_DECLARE_EXCEPTION(EThread, Exception);
VELVANE_DECLARE_EXCEPTION(EInvalidOperation, Exception);
VELVANE_DECLARE_EXCEPTION(EInvalidPointer, Exception);
VELVANE_DECLARE_EXCEPTION(EOutOfResources, Exception);
VELVANE_DECLARE_EXCEPTION(EInvalidGraphic, Exception);
VELVANE_DECLARE_EXCEPTION(EJPEG, EInvalidGraphic);
VELVANE_DECLARE_EXCEPTION(EInvalidGraphicOperation, EInvalidGraphic);

} // namespace velvane
