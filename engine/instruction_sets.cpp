#include "engine/instruction_sets.h"

namespace selvane {

namespace {

InstructionSets probe() {
    InstructionSets has;
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();  // may run before the library's own start-up code has
    has.fma = __builtin_cpu_supports("fma");
    has.avx2Fma = has.fma && __builtin_cpu_supports("avx2");
    has.avx512 = __builtin_cpu_supports("avx512f");
#endif
    return has;
}

}  // namespace

const InstructionSets& instructionSets() noexcept {
    static const InstructionSets has = probe();
    return has;
}

}  // namespace selvane
