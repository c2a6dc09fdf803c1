#pragma once
// The machine's sleep, as logind tells it before and after (PrepareForSleep
// on the system bus), told to the decisions: a running saver is ended
// before, and none starts until the resume.

// Subscribes on the system bus where there is one.
void watchSleep();
