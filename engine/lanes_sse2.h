#pragma once
// Two doubles per register, for any SSE2 processor. No fused multiply-add, so no exp in lanes.
#include <emmintrin.h>

namespace selvane::step_kernels::sse2 {

struct Lanes {
    static constexpr int kLanes = 2;
    static constexpr bool kExpInLanes = false;
    using Real = __m128d;
    using Mask = __m128d;

    static Real load(const double* p) { return _mm_loadu_pd(p); }
    static void store(double* p, Real v) { _mm_storeu_pd(p, v); }
    static Real set1(double v) { return _mm_set1_pd(v); }
    static Real firstLanes() { return _mm_set_pd(1, 0); }
    static Real add(Real a, Real b) { return _mm_add_pd(a, b); }
    static Real sub(Real a, Real b) { return _mm_sub_pd(a, b); }
    static Real mul(Real a, Real b) { return _mm_mul_pd(a, b); }
    static Real div(Real a, Real b) { return _mm_div_pd(a, b); }
    static Real sqrt(Real a) { return _mm_sqrt_pd(a); }
    static Mask greater(Real a, Real b) { return _mm_cmpgt_pd(a, b); }
    static Mask less(Real a, Real b) { return _mm_cmplt_pd(a, b); }
    static Mask equal(Real a, Real b) { return _mm_cmpeq_pd(a, b); }
    static Mask andNot(Mask a, Mask b) { return _mm_andnot_pd(a, b); }
    static unsigned bits(Mask m) { return static_cast<unsigned>(_mm_movemask_pd(m)); }
    static Real where(Mask m, Real v) { return _mm_and_pd(m, v); }
    // a + b and a * b with a the first operand, as the plain loop compiles them: where two
    // NaNs meet x86 keeps the first, and a compiler may swap the operands of an intrinsic it
    // knows to commute. addWhere keeps the sum first likewise.
    static Real addFirst(Real a, Real b) {
        __asm__("addpd %[b], %[a]" : [a] "+x"(a) : [b] "x"(b));
        return a;
    }
    static Real mulFirst(Real a, Real b) {
        __asm__("mulpd %[b], %[a]" : [a] "+x"(a) : [b] "x"(b));
        return a;
    }
    static Real addWhere(Mask m, Real sum, Real term) { return addFirst(sum, _mm_and_pd(m, term)); }
};

}  // namespace selvane::step_kernels::sse2
