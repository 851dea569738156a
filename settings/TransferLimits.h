#pragma once
// How far one download may go, in one place for both programs: a transfer
// that keeps trickling in must still end, and a settings file far larger
// than any real one is refused before it fills memory or the program folder.

#include <cstdint>

namespace velvane {

class TIdHTTP;

struct TTransferLimits {
    // Milliseconds one transfer may take in all, whatever its pace.
    int PictureTime = 5 * 60 * 1000;
    int SettingsTime = 60 * 1000;
    // The largest settings file taken; a larger reply fails as a broken one.
    std::int64_t SettingsBytes = std::int64_t{1} << 20;
};

// The bounds in force (tests shorten them).
extern TTransferLimits TransferLimits;

// Puts one transfer's bounds on the client while it lives and gives the
// client its own back afterwards. maxBytes 0 keeps the client's size bound.
class TTransferBound {
public:
    TTransferBound(TIdHTTP& http, int milliseconds, std::int64_t maxBytes = 0);
    ~TTransferBound();
    TTransferBound(const TTransferBound&) = delete;
    TTransferBound& operator=(const TTransferBound&) = delete;

private:
    TIdHTTP& http_;
    int oldTime_;
    std::int64_t oldBytes_;
};

} // namespace velvane
