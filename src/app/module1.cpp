#include "module1.h"

#include <algorithm>
#include <cstring>

namespace dsc {

NotifyIconRecord IconeNotif;

void setTip(NotifyIconRecord& record, const char* tip) {
    std::string text(64, ' ');
    const std::size_t n = std::min<std::size_t>(std::strlen(tip), 63);
    text.replace(0, n, tip, n);
    text[n] = '\0';
    record.szTip = std::move(text);
}

} // namespace dsc
