// Counts the calls into the toolchain's maths library made while a count is open. The library's
// functions are wrapped at link time (this folder's CMakeLists.txt), so every call from any object
// of the test program, the kernels' included, passes through the count.
#pragma once
#include <string>

namespace kvtest {

// Calls counted between the construction and Calls(); one count open at a time.
class LibraryMathCount {
public:
    LibraryMathCount();
    ~LibraryMathCount();
    LibraryMathCount(const LibraryMathCount&) = delete;
    LibraryMathCount& operator=(const LibraryMathCount&) = delete;

    long Calls() const;
    // "sin 4096, nearbyint 12": the functions called, for a failure's message.
    std::string Which() const;
};

} // namespace kvtest
