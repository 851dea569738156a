#pragma once
// Errors of the network clients. The programs' error handlers dispatch on
// ClassName(), so each class answers its exact name.

#include "platform/rtl/Exceptions.h"
#include "platform/win/WinTypes.h"

namespace velvane {

VELVANE_DECLARE_EXCEPTION(EIdException, Exception);
// The peer answered, but with an error reply.
VELVANE_DECLARE_EXCEPTION(EIdProtocolReplyError, EIdException);
// Errors the programs treat as an ordinary end of the connection.
VELVANE_DECLARE_EXCEPTION(EIdSilentException, EIdException);
// The connection was closed on our side (Disconnect) while in use.
VELVANE_DECLARE_EXCEPTION(EIdConnClosedGracefully, EIdSilentException);
VELVANE_DECLARE_EXCEPTION(EIdAlreadyConnected, EIdException);

// An HTTP reply of 400 or above; the message is the status line.
class EIdHTTPProtocolException : public EIdProtocolReplyError {
public:
    EIdHTTPProtocolException(int replyErrorCode, String message)
        : EIdProtocolReplyError(std::move(message)), ReplyErrorCode(replyErrorCode)
    {
    }
    const char* ClassName() const noexcept override { return "EIdHTTPProtocolException"; }

    int ReplyErrorCode;
};

// A failure of the connection itself; LastError is a Winsock-style number.
class EIdSocketError : public EIdException {
public:
    EIdSocketError(DWORD lastError, String message)
        : EIdException(std::move(message)), LastError(lastError)
    {
    }
    const char* ClassName() const noexcept override { return "EIdSocketError"; }

    DWORD LastError;
};

} // namespace velvane
