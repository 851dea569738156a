#include "settings/TransferLimits.h"

#include "platform/net/HTTPClient.h"

namespace velvane {

TTransferLimits TransferLimits;

TTransferBound::TTransferBound(TIdHTTP& http, int milliseconds, std::int64_t maxBytes)
    : http_(http), oldTime_(http.TransferTimeout), oldBytes_(http.MaxContentLength)
{
    http.TransferTimeout = milliseconds;
    if (maxBytes > 0) http.MaxContentLength = maxBytes;
}

TTransferBound::~TTransferBound()
{
    http_.TransferTimeout = oldTime_;
    http_.MaxContentLength = oldBytes_;
}

} // namespace velvane
