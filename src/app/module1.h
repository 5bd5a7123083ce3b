#pragma once
// Program-wide declarations: the one notify-icon record.

#include <QIcon>

#include <cstdint>
#include <string>

namespace dsc {

// The notify-icon record every tray call is made from; filled by the window's load handler.
struct NotifyIconRecord {
    std::uint32_t uID = 0;
    std::uint32_t uFlags = 0;           // which of the members below are given
    std::uint32_t uCallbackMessage = 0; // the window message the notifications come as
    QIcon hIcon;
    std::string szTip; // up to its first NUL, as shown
};

inline constexpr std::uint32_t kNifMessage = 1, kNifIcon = 2, kNifTip = 4;

extern NotifyIconRecord IconeNotif;

// The tip: "Dessiscope", then a NUL, then spaces to fill 64 characters, as the record holds it.
void setTip(NotifyIconRecord& record, const char* tip);

} // namespace dsc
