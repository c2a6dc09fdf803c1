#pragma once
// Where what the sources and the buses hear goes: the decisions
// (decisions.h) take it, and main carries out what they answer at once.
#include "idle/decide/decisions.h"

void hear(const Event& event);
