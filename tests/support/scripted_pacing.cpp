#include "tests/support/scripted_pacing.h"

#include "platform/pacing.h"

#include <deque>

namespace {
std::vector<int> recordedPauses;
std::deque<int> script;
int fallbackValue = 0;
int drawCount = 0;
void (*pauseObserver)(int) = nullptr;

void recordPause(int milliseconds)
{
    if (pauseObserver)
        pauseObserver(milliseconds);
    recordedPauses.push_back(milliseconds);
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
    script.assign(values.begin(), values.end());
    fallbackValue = fallback;
    drawCount = 0;
    pauseObserver = nullptr;
    pauseFunction = recordPause;
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

int ScriptedPacing::draws()
{
    return drawCount;
}

void ScriptedPacing::onPause(void (*observer)(int))
{
    pauseObserver = observer;
}
