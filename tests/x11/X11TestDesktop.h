#pragma once

#include "E2eSession.h"

// The virtual desktop that the whole X11 test binary runs in; started by main before the
// application object, so Qt connects to it.
E2eSession& x11TestDesktop();
