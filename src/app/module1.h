#pragma once
// Program-wide declarations: the one tray-icon record.

#include "platform/tray.h"

namespace dsc {

// The notify-icon record every tray call passes; filled by the window's load handler.
extern platform::NotifyIconData IconeNotif;

// The tip: "Dessiscope", a NUL, then spaces to fill the 64 bytes.
void setTip(platform::NotifyIconData& data, const char* tip);

} // namespace dsc
