#pragma once
// Bytes held by the program's C++ allocations (operator new), for tests that check what is kept.

namespace dsc::test {

long long liveAllocatedBytes();

} // namespace dsc::test
