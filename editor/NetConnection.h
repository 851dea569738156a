#pragma once
// TNetConnection: the publisher's settings and their download. Like the
// wallpaper job it is a thread never started: Execute runs on the main
// thread when called, and Busy keeps two jobs from running at once.

#include "platform/classes/Thread.h"
#include "platform/rtl/Types.h"

#include <atomic>

namespace velvane {

class TMainForm;
class TStrings;

class TNetConnection : public TThread {
public:
    explicit TNetConnection(TMainForm* form) : TThread(true), form_(form) {}

    std::atomic<bool> Busy{false};
    // The banner picture, banner page, home page and settings-file addresses
    // are all known (read by the connection watch).
    std::atomic<bool> SettingsLoaded{false};

    String Host, NetFile, BannerJpg, MiniBanner, BannerUrl, BannerHint, HomeUrl, MailTo, SysVer;

    // The settings download: fetch "kestrin.net" from NetFile, take its
    // values, rebuild the themes menu, keep a genuine copy, fetch the banners
    // and open the home page once everything needed is known. Without a
    // local copy naming its address it does nothing at all.
    void Execute() override;
    // The PC went offline: no themes, and the settings count as not loaded.
    void SetOffLine();

    // The keys the window takes from the local file at start.
    void TakeLocalKeys(const TStrings& lines);

    // Milliseconds a download runs unseen before the progress box (and its
    // Cancel) shows.
    int ProgressDelay = 2000;

private:
    // Fetches a picture and replaces the file only with one that decodes;
    // false when the transfer was cancelled.
    bool FetchPicture(const String& url, const String& file, bool showAsBanner);
    void ShowProgress();

    TMainForm* form_;
    bool progressShown_ = false;
};

} // namespace velvane
