#pragma once
// The agent's window on a temporary settings store and program folder, with
// the desktop's calls recorded instead of made, scripted answers to its
// boxes and a fixed clock. Its scheduler runs only where a test starts it.

#include "agent/MainService.h"
#include "agent/WallPaper.h"
#include "platform/graphics/BmpCodec.h"
#include "platform/graphics/JpegCodec.h"
#include "platform/rtl/DateTime.h"
#include "platform/win/WinUser.h"
#include "settings/WinRegistry.h"
#include "tests/support/Locales.h"
#include "tests/support/RecordingDesktopCalls.h"
#include "tests/support/ScriptedResponder.h"
#include "tests/support/TempEnv.h"
#include "tests/support/TestApp.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>

namespace velvane::test {

struct FixedClock : TClock {
    TDateTime Now() const override { return 46365.5; }  // a Wednesday noon
};
// Starts there too; the test moves it, from any thread.
struct MovingClock : TClock {
    std::atomic<TDateTime> now{46365.5};
    TDateTime Now() const override { return now; }
};

inline QImage Filled(int width, int height, QRgb color)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

class AgentTest : public testing::Test {
protected:
    AgentTest()
    {
        EnsureApplication();
        agent::TMainForm::RunScheduler = false;
        setenv("XDG_CURRENT_DESKTOP", "sway", 1);
        SetDesktopCalls(&desktop), SetClock(&clock);
        Online = false;
        store.HootKey = THootKey::HKEY_CURRENT_USER;
        store.Path = "Software\\Velvane\\";
    }
    ~AgentTest() override
    {
        delete form;
        SetClock(nullptr), SetDesktopCalls(nullptr), unsetenv("XDG_CURRENT_DESKTOP");
        Online = false;
    }

    // The agent's 16 settings, these values in place of the defaults; an
    // empty value leaves the setting out of the store.
    void Seed(std::map<String, String> values = {})
    {
        std::map<String, String> lines = {
            {"cfg_Action", "5|Integer"}, {"cfg_TimeLenght", "0|Integer"}, {"cfg_Order", "0|Integer"},
            {"cfg_ProxyIP", " |String"}, {"cfg_ProxyPort", "0|Integer"}, {"cfg_CurrentIMG", " |String"},
            {"cfg_CurrentImgPos", "0|Integer"}, {"cfg_LastAplly", "01/01/1996|DateTime"},
            {"cfg_FileInUse", env.Path("list.vnx") + "|String"}, {"cfg_ConType", "0|Integer"},
            {"cfg_Activate", "True|Boolean"}, {"cfg_UseDefaultImage", "False|Boolean"},
            {"cfg_IEProxyAuto", "False|Boolean"}, {"cfg_Silent", "False|Boolean"}, {"cfg_Priority", "2|Integer"},
            {"cfg_LastImageError", "0|Integer"}};
        for (auto& [name, line] : lines) {
            auto given = values.find(name);
            if (given != values.end() && given->second.empty()) continue;
            if (given != values.end()) line = given->second + line.substr(line.rfind('|'));
            store.WriteValue(name + "|" + line);
        }
    }
    String Stored(const String& line) { return store.ReadValue(line).AsString(); }
    // The document: each line as given ("1|entry", "0|entry").
    void Document(const std::vector<String>& lines)
    {
        String bytes;
        for (const String& line : lines) bytes += line + "\r\n";
        AtomicWriteFile(env.Path("list.vnx"), bytes);
    }
    String Jpeg(const String& name, const QImage& picture)
    {
        AtomicWriteFile(env.Path(name), EncodeJpeg(picture));
        return env.Path(name);
    }
    void Start() { form = Application->CreateForm<agent::TMainForm>(); }
    // Settings, a document of these checked entries, and the window.
    void StartWith(const std::vector<String>& entries, std::map<String, String> values = {})
    {
        Seed(std::move(values));
        std::vector<String> lines;
        for (const String& e : entries) lines.push_back("1|" + e);
        Document(lines), Start();
    }
    // Downloads go to a loopback server on this port.
    void Loopback(int port, bool online = true)
    {
        form->HTTPc->Host = "127.0.0.1", form->HTTPc->Port = port, Online = online;
    }
    QImage Wallpaper() const { return DecodeBmp(ReadFileBytes(WallPaperFile)); }
    String Panel(int index) const { return form->ConStatus->Panel(index); }

    TempEnv env;
    ScopedFormatSettings brazil{Brazil()};
    ScriptedResponder dialogs;
    RecordingDesktopCalls desktop;
    FixedClock clock;
    TWinRegistry store{nullptr};
    agent::TMainForm* form = nullptr;
};

} // namespace velvane::test
