// The trace system's window-side needs (keyboard state, question and error boxes, the
// display) served by the toolkit's real functions.
#ifndef GLYPHARA_INTERFACE_GUITRACEHOOKS_H
#define GLYPHARA_INTERFACE_GUITRACEHOOKS_H

#include "trace/TraceSystem.h"

TraceUiHooks MakeGuiTraceHooks();

#endif
