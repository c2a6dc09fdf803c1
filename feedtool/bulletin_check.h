#pragma once
// The bulletin's part of `tapwrite-feed check`: its fields as the saver cuts
// them, and whether a saver of this version shows the "New Version!" box.
#include "feedtool/feed_source.h"
#include "feedtool/report.h"

void checkBulletin(const FeedSource& source, Report& report);
