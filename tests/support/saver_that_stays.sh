#!/bin/sh
# A saver that never unblocks the ending signals it starts with: SIGTERM
# stays pending, and only the companion's kill ends it.
exec sleep 60
