#pragma once
// GNOME's Activities overview: a window started while it is open shows only
// as a thumbnail inside it, and keys go to its search box. Closed before the
// saver starts, where the shell lets its OverviewActive property be set.
void closeShellOverview();
