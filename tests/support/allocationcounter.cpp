// Counts the bytes of live C++ allocations. Linked only into the tests that use it: it replaces
// the global operator new and delete of the whole test program.
#include "allocationcounter.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long long> g_live{0};
}

void* operator new(std::size_t n) {
    void* p = std::malloc(n ? n : 1);
    if (!p) {
        throw std::bad_alloc();
    }
    g_live += static_cast<long long>(malloc_usable_size(p));
    return p;
}

// The library's nothrow forms (std::stable_sort's buffer, for one) must come through here too:
// otherwise a sanitizer's own nothrow new would be paired with the free below.
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    try {
        return operator new(n);
    } catch (...) {
        return nullptr;
    }
}

void operator delete(void* p) noexcept {
    if (p) {
        g_live -= static_cast<long long>(malloc_usable_size(p));
        std::free(p);
    }
}

void operator delete(void* p, std::size_t) noexcept {
    operator delete(p);
}

void operator delete(void* p, const std::nothrow_t&) noexcept {
    operator delete(p);
}

namespace dsc::test {

long long liveAllocatedBytes() {
    return g_live.load();
}

} // namespace dsc::test
