// The bitmap decoder when memory runs short (address-space limits are a POSIX feature).
#include "formats/raster/dib.h"
#include "support/dwgwriter.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

using namespace dsc;
using test::writeDib;

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define DSC_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define DSC_ASAN 1
#endif

#ifndef DSC_ASAN
namespace {

// In a child process: limits the address space to what is in use plus 64 MB, then decodes.
[[noreturn]] void decodeWithLittleMemory(const test::Bytes& blob) {
    std::ifstream statm("/proc/self/statm");
    unsigned long long pages = 0;
    statm >> pages;
    const rlim_t limit = pages * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (64u << 20);
    const rlimit rl{limit, limit};
    setrlimit(RLIMIT_AS, &rl);
    DibImage img;
    const DibError e = decodeDib(blob, img);
    std::_Exit(e == DibError::OutOfMemory && img.empty() ? 0 : 1);
}

} // namespace
#endif

TEST(DibDeathTest, ShortOfMemoryIsARefusalNotTheEnd) {
#ifdef DSC_ASAN
    GTEST_SKIP() << "address limits and the sanitizer's shadow memory do not mix";
#else
    // The largest bitmap allowed (8192 × 8192, 256 MB decoded) in a process allowed 64 MB more.
    auto blob = writeDib(8, 8, 1, [](int, int) -> std::uint32_t { return 0; });
    test::put32(blob, 4, kMaxDibDimension);
    test::put32(blob, 8, kMaxDibDimension);
    blob.resize(40 + 8 + std::size_t(kMaxDibDimension) / 8 * kMaxDibDimension);
    EXPECT_EXIT(decodeWithLittleMemory(blob), ::testing::ExitedWithCode(0), "");
#endif
}
