#include "platform/pacing.h"

#include <SDL.h>

#include <cstdlib>

namespace {
void sdlPause(int milliseconds)
{
    SDL_Delay(static_cast<Uint32>(milliseconds));
}

int standardRandom()
{
    return std::rand();
}
}

PauseFunction pauseFunction = sdlPause;
RandomFunction randomFunction = standardRandom;

void pauseFor(int milliseconds)
{
    pauseFunction(milliseconds);
}

int drawRandom()
{
    return randomFunction();
}

void restoreDefaultPacing()
{
    pauseFunction = sdlPause;
    randomFunction = standardRandom;
}
