#include "platform/win/MessageBeep.h"

#include <QApplication>

#include <mutex>

namespace velvane {

namespace {

std::mutex hookMutex;
std::function<void(UINT)> beepHook;

} // namespace

BOOL MessageBeep(UINT type)
{
    std::function<void(UINT)> hook;
    {
        std::lock_guard lock(hookMutex);
        hook = beepHook;
    }
    if (hook) {
        hook(type);
        return TRUE;
    }
    // Qt has one sound for every kind.
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) QApplication::beep();
    return TRUE;
}

void SetMessageBeepHook(std::function<void(UINT type)> hook)
{
    std::lock_guard lock(hookMutex);
    beepHook = std::move(hook);
}

} // namespace velvane
