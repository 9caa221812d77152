// Writes tests/data/exp_reference.inc: glibc's exp of every checked argument, hashed, of a
// quarter of them, hashed, and of every 8192nd one in full, so that builds without glibc can
// be checked against it.
// Run natively on glibc and a processor with FMA (glibc's exp then fuses its multiply-adds):
//   g++ -std=c++17 -O2 -I. tools/exp_reference.cpp -o /tmp/exp_reference &&
//   /tmp/exp_reference > tests/data/exp_reference.inc
#include <cinttypes>
#include <cmath>
#include <cstdio>

#include "tests/data/exp_arguments.h"

int main() {
    using namespace selvane::exp_arguments;
    if (!__builtin_cpu_supports("fma") || !__builtin_cpu_supports("avx2")) {
        std::fprintf(stderr, "needs a processor with FMA and AVX2\n");
        return 1;
    }
    Hash hash;
    int64_t n = 0;
    std::printf("// glibc's exp of tests/data/exp_arguments.h; made by tools/exp_reference.cpp.\n");
    std::printf("const uint64_t kGlibcExpPairs[][2] = {\n");
    forEachArgument([&](double x) {
        const double y = std::exp(x);
        hash.add(y);
        if (n++ % 8192 == 0)
            std::printf("    {0x%016" PRIx64 ", 0x%016" PRIx64 "},\n", bitsOf(x), bitsOf(y));
    });
    std::printf("};\nconst int64_t kGlibcExpCount = %" PRId64 ";\n", n);
    std::printf("const uint64_t kGlibcExpHash = 0x%016" PRIx64 ";\n", hash.value);
    // A quarter of them, for the slower software path.
    Hash quarter;
    forEachArgument([&](double x) { quarter.add(std::exp(x)); }, 4);
    std::printf("const uint64_t kGlibcExpQuarterHash = 0x%016" PRIx64 ";\n", quarter.value);
}
