#include "tests/support/scripted_pacing.h"

#include "platform/pacing.h"

#include <cstdint>
#include <deque>

namespace {
std::vector<int> recordedPauses;
std::vector<int> recordedWaits;
std::uint32_t clockNow = 0;
std::deque<int> script;
int fallbackValue = 0;
int drawCount = 0;
void (*pauseObserver)(int) = nullptr;

void recordPause(int milliseconds)
{
    if (pauseObserver)
        pauseObserver(milliseconds);
    recordedPauses.push_back(milliseconds);
    clockNow += static_cast<std::uint32_t>(milliseconds);
}

void recordWait(int milliseconds)
{
    recordedWaits.push_back(milliseconds);
    clockNow += static_cast<std::uint32_t>(milliseconds);
}

std::uint32_t scriptedClock()
{
    return clockNow;
}

int scriptedRandom()
{
    ++drawCount;
    if (script.empty())
        return fallbackValue;
    int value = script.front();
    script.pop_front();
    return value;
}
}

ScriptedPacing::ScriptedPacing(std::vector<int> values, int fallback)
{
    recordedPauses.clear();
    recordedWaits.clear();
    script.assign(values.begin(), values.end());
    fallbackValue = fallback;
    drawCount = 0;
    pauseObserver = nullptr;
    pauseFunction = recordPause;
    waitFunction = recordWait;
    clockFunction = scriptedClock;
    randomFunction = scriptedRandom;
}

ScriptedPacing::~ScriptedPacing()
{
    pauseObserver = nullptr;
    restoreDefaultPacing();
}

std::vector<int>& ScriptedPacing::pauses()
{
    return recordedPauses;
}

void ScriptedPacing::append(const std::vector<int>& values)
{
    script.insert(script.end(), values.begin(), values.end());
}

std::vector<int>& ScriptedPacing::waits()
{
    return recordedWaits;
}

int ScriptedPacing::draws()
{
    return drawCount;
}

void ScriptedPacing::onPause(void (*observer)(int))
{
    pauseObserver = observer;
}
