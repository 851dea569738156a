#pragma once
// The settings record and the process-wide state both programs share.

#include "platform/rtl/Types.h"

#include <atomic>
#include <cstdint>

namespace velvane {

// The user's settings, each field named as the registry value that holds it.
// A new record is all zeros: a first installation starts from it.
struct TConfig {
    std::int32_t cfg_Action = 0;        // 0 at start, 1 daily, 2 every cfg_TimeLenght hours, 3 weekday, 4 per connection
    std::int32_t cfg_TimeLenght = 0;    // hours for mode 2
    std::int32_t cfg_Order = 0;         // 0 sequential, 1 random
    String cfg_ProxyIP;                 // proxy host, also pinged for network and proxy connections
    std::int32_t cfg_ProxyPort = 0;
    String cfg_CurrentIMG;              // entry applied last
    std::int32_t cfg_CurrentImgPos = 0; // its position in the list
    TDateTime cfg_LastAplly = 0;        // time of the last change
    String cfg_FileInUse;               // current image-list document, empty when none
    std::int32_t cfg_ConType = 0;       // 0 none, 1 dial-up, 2 network, 3 proxy, 4 broadband
    String cfg_MailUser;                // the user's e-mail address
    bool cfg_Activate = false;          // the agent runs
    bool cfg_UseDefaultImage = false;   // use the server's default image for a missing web image
    bool cfg_IEProxyAuto = false;       // take the proxy from the browser's setting
    bool cfg_Silent = false;            // the agent shows no download progress
    std::uint16_t cfg_Priority = 0;     // worker priority: 0 lowest .. 3 higher; other values leave normal
    std::int32_t cfg_LastImageError = 0; // agent: position to resume from after an image failed

    friend bool operator==(const TConfig&, const TConfig&) = default;
};

// Version text shown by the about box; each program sets its own at start.
extern String AppVersion;
// Full path of the bitmap handed to the desktop: program folder + "wallpaper.bmp".
extern String WallPaperFile;
// The PC counts as online for the configured connection type. Written by the
// main thread and the worker thread, read by both.
extern std::atomic<bool> Online;

} // namespace velvane
