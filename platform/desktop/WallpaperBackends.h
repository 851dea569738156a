#pragma once
// The desktops we know how to talk to. Each makes its calls through the
// DesktopCalls it was given, which must outlive it.

#include "platform/desktop/DesktopCalls.h"
#include "platform/desktop/WallpaperBackend.h"
#include "platform/rtl/Types.h"

#include <vector>

namespace velvane {

// A string key of a GSettings schema, given a file URI or the plain path; a
// second key is written as well when the schema has it.
class GSettingsWallpaper final : public WallpaperBackend {
public:
    struct Keys {
        String schema, key, optionalKey;
        bool asUri = true;
    };
    GSettingsWallpaper(DesktopCalls& calls, String name, Keys keys)
        : calls_(calls), name_(std::move(name)), keys_(std::move(keys)) {}
    String Name() const override { return name_; }
    bool Set(const String& path) override;

private:
    DesktopCalls& calls_;
    String name_;
    Keys keys_;
};

// Every /backdrop/.../last-image property of xfconf channel xfce4-desktop.
class XfceWallpaper final : public WallpaperBackend {
public:
    explicit XfceWallpaper(DesktopCalls& calls) : calls_(calls) {}
    String Name() const override { return "XFCE"; }
    bool Set(const String& path) override;

private:
    DesktopCalls& calls_;
};

// A Plasma shell script that sets the image of every desktop.
class KdeWallpaper final : public WallpaperBackend {
public:
    explicit KdeWallpaper(DesktopCalls& calls) : calls_(calls) {}
    String Name() const override { return "KDE Plasma"; }
    bool Set(const String& path) override;
    // The script for the picture at the path.
    static String Script(const String& path);

private:
    DesktopCalls& calls_;
};

// A program given the path between fixed arguments.
class CommandWallpaper final : public WallpaperBackend {
public:
    CommandWallpaper(DesktopCalls& calls, String name, String program, std::vector<String> before,
                     std::vector<String> after = {})
        : calls_(calls), name_(std::move(name)), program_(std::move(program)), before_(std::move(before)),
          after_(std::move(after)) {}
    String Name() const override { return name_; }
    bool Set(const String& path) override;

private:
    DesktopCalls& calls_;
    String name_, program_;
    std::vector<String> before_, after_;
};

// The X root window's background pixmap.
class RootWindowWallpaper final : public WallpaperBackend {
public:
    RootWindowWallpaper(DesktopCalls& calls, String display) : calls_(calls), display_(std::move(display)) {}
    String Name() const override { return "X11 root window"; }
    bool Set(const String& path) override;
    bool TakesPixels() const override { return true; }
    bool SetPixels(const QImage& picture) override;

private:
    DesktopCalls& calls_;
    String display_;
};

} // namespace velvane
