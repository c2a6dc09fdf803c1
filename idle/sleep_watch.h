#pragma once
// The machine's sleep, as logind tells it before and after (PrepareForSleep
// on the system bus): a running saver is ended before, and none starts
// until the resume; the idle time then counts afresh from the resume.
struct IdleSource;

// Subscribes on the system bus where there is one.
void watchSleep(const IdleSource& source);
// Between logind's word that the machine goes to sleep and its resume.
bool goingToSleep();
