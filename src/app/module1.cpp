#include "module1.h"

#include <cstring>

namespace dsc {

platform::NotifyIconData IconeNotif;

void setTip(platform::NotifyIconData& data, const char* tip) {
    std::memset(data.szTip, ' ', sizeof data.szTip);
    const std::size_t n = std::min(std::strlen(tip), sizeof data.szTip - 1);
    std::memcpy(data.szTip, tip, n);
    data.szTip[n] = '\0';
}

} // namespace dsc
