#pragma once

namespace selvane {

// What this processor and its system can run, found once: the step's kernels and exp choose
// by this and nothing else. Each wide set counts only where the system also saves its registers.
struct InstructionSets {
    bool fma = false;     // hardware fused multiply-add, for exp
    bool avx2Fma = false;  // AVX2 with FMA: the four-lane step
    bool avx512 = false;   // AVX-512F: the eight-lane step
};

const InstructionSets& instructionSets() noexcept;

}  // namespace selvane
