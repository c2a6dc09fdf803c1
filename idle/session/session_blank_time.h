#pragma once
// The companion's idle time: --after where given, else half of the
// session's own blank or lock time (GNOME's, KDE Plasma's) where it tells
// one, else 300 s. One line says which and why, again when a followed
// setting changes it; another where the time chosen comes too late to show
// before the session or the X server blanks or locks.
struct IdleSource;

// The idle time in seconds, given --after's (0 when not given); starts
// following the session's setting.
int chooseIdleTime(int afterSeconds);
// The followed setting's descriptor to wait on, or -1 where it comes by bus.
int blankTimeDescriptor();
// After each event: a setting that changed the time re-arms the source.
void followBlankTime(const IdleSource& source);
