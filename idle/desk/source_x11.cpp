// X11: the server's IDLETIME counter (SYNC extension). An alarm fires when
// the counter climbs past the idle time, a second one when input drops it
// again; nothing is asked on a timer. A player's suspension of the server's
// screen saver (MIT-SCREEN-SAVER) holds the saver back.
#include "idle/desk/idle_source.h"
#include "idle/session/lost_session.h"

#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>
#include <X11/extensions/sync.h>

#include <cstdint>
#include <string_view>

namespace {
Display* display = nullptr;
XSyncCounter idleCounter = None;
XSyncAlarm idleAlarm = None;
XSyncAlarm inputAlarm = None;
int syncEventBase = 0;
std::int64_t after = 0;

XSyncValue valueOf(std::int64_t v)
{
    XSyncValue value;
    XSyncIntsToValue(&value, unsigned(v & 0xffffffff), int(v >> 32));
    return value;
}

std::int64_t numberOf(const XSyncValue& value)
{
    return (std::int64_t(XSyncValueHigh32(value)) << 32) | std::int64_t(XSyncValueLow32(value));
}

// Sets (or makes) an alarm on the counter: a transition up to or down
// past the value.
void setAlarm(XSyncAlarm& alarm, std::int64_t value, bool upward)
{
    XSyncAlarmAttributes attributes {};
    attributes.trigger.counter = idleCounter;
    attributes.trigger.value_type = XSyncAbsolute;
    attributes.trigger.test_type = upward ? XSyncPositiveTransition : XSyncNegativeTransition;
    attributes.trigger.wait_value = valueOf(value);
    attributes.delta = valueOf(0);
    attributes.events = True;
    const unsigned long flags = XSyncCACounter | XSyncCAValueType | XSyncCATestType | XSyncCAValue | XSyncCADelta
        | XSyncCAEvents;
    if (alarm == None)
        alarm = XSyncCreateAlarm(display, flags, &attributes);
    else
        XSyncChangeAlarm(display, alarm, flags, &attributes);
}

std::int64_t idleNow()
{
    XSyncValue value;
    return XSyncQueryCounter(display, idleCounter, &value) ? numberOf(value) : 0;
}

int onLostServer(Display*)
{
    endForLostSession("the X server");
    return 0;
}

bool open(int afterMs)
{
    display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    int errorBase = 0, major = 0, minor = 0;
    int count = 0;
    XSyncSystemCounter* counters = nullptr;
    if (XSyncQueryExtension(display, &syncEventBase, &errorBase) && XSyncInitialize(display, &major, &minor))
        counters = XSyncListSystemCounters(display, &count);
    for (int i = 0; i < count; ++i)
        if (std::string_view(counters[i].name) == "IDLETIME")
            idleCounter = counters[i].counter;
    if (counters)
        XSyncFreeSystemCounterList(counters);
    if (idleCounter == None) {
        XCloseDisplay(display);
        display = nullptr;
        return false;
    }
    XSetIOErrorHandler(onLostServer);
    after = afterMs;
    setAlarm(idleAlarm, after, true);
    // A transition only: a desk already idle that long is reported now.
    if (idleNow() >= after)
        reportIdle();
    XFlush(display);
    return true;
}

int descriptor()
{
    return ConnectionNumber(display);
}

void flush()
{
    XFlush(display);
}

bool dispatch()
{
    while (XPending(display)) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != syncEventBase + XSyncAlarmNotify)
            continue;
        const auto& notify = reinterpret_cast<const XSyncAlarmNotifyEvent&>(event);
        if (notify.alarm == idleAlarm) {
            reportIdle();
            // Told of the next input: the counter falls below where it stands.
            const std::int64_t now = numberOf(notify.counter_value);
            setAlarm(inputAlarm, now > 1 ? now - 1 : 1, false);
        } else if (notify.alarm == inputAlarm) {
            reportActive();
            setAlarm(idleAlarm, after, true);
        }
    }
    XFlush(display);
    return true;
}

void watchLonger()
{
    const std::int64_t now = idleNow();
    setAlarm(idleAlarm, now + after, true);
    setAlarm(inputAlarm, now > 1 ? now - 1 : 1, false);
    XFlush(display);
}

// The protocol does not tell a suspension, but a suspended server never
// starts its own screen saver: idle past its time with it off means one.
bool inhibited()
{
    int timeout = 0, interval = 0, blanking = 0, exposures = 0;
    XGetScreenSaver(display, &timeout, &interval, &blanking, &exposures);
    XScreenSaverInfo* info = XScreenSaverAllocInfo();
    bool suspended = false;
    if (info && timeout > 0 && XScreenSaverQueryInfo(display, DefaultRootWindow(display), info))
        suspended = info->state == ScreenSaverOff && info->idle >= (unsigned long)timeout * 1000 + 1000;
    XFree(info);
    return suspended;
}

// Told as the counter falls below where it stands.
void watchInput()
{
    const std::int64_t now = idleNow();
    setAlarm(inputAlarm, now > 1 ? now - 1 : 1, false);
    XFlush(display);
}

// A desk already idle past the new time is reported at its next idle period.
void watchFor(int afterMs)
{
    after = afterMs;
    setAlarm(idleAlarm, after, true);
    XFlush(display);
}
}

const IdleSource x11IdleSource = {
    "the SYNC extension's IDLETIME counter on X11", "the X server",
    open, descriptor, flush, dispatch, watchLonger, inhibited, watchFor, watchInput,
};
