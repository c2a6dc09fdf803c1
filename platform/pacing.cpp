#include "platform/pacing.h"

#include <SDL.h>

#include <cstdlib>

namespace {
void sdlPause(int milliseconds)
{
    SDL_Delay(static_cast<Uint32>(milliseconds));
}

void sdlWait(int milliseconds)
{
    SDL_WaitEventTimeout(nullptr, milliseconds);
}

std::uint32_t sdlTicks()
{
    return SDL_GetTicks();
}

int standardRandom()
{
    return std::rand();
}
}

PauseFunction pauseFunction = sdlPause;
PauseFunction waitFunction = sdlWait;
RandomFunction randomFunction = standardRandom;
ClockFunction clockFunction = sdlTicks;

void pauseFor(int milliseconds)
{
    pauseFunction(milliseconds);
}

void waitForEvents(int milliseconds)
{
    waitFunction(milliseconds);
}

std::uint32_t millisecondsNow()
{
    return clockFunction();
}

int drawRandom()
{
    return randomFunction();
}

void restoreDefaultPacing()
{
    pauseFunction = sdlPause;
    waitFunction = sdlWait;
    randomFunction = standardRandom;
    clockFunction = sdlTicks;
}
