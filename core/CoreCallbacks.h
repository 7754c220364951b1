// The two interface callbacks through which the core asks the main window to refresh its
// controls and to rebuild the preview after delay milliseconds; context is what the
// window registered.
#ifndef GLYPHARA_CORE_CORECALLBACKS_H
#define GLYPHARA_CORE_CORECALLBACKS_H

typedef int (*UpdateControlsCallback)(void* context);
typedef int (*UpdateFlashCallback)(void* context, int delay);

#endif
