#pragma once
// Four doubles per register; for files built with AVX2 and FMA.
#include <immintrin.h>

#include <cstdint>

namespace selvane::step_kernels::avx2 {

struct Lanes {
    static constexpr int kLanes = 4;
    static constexpr bool kExpInLanes = true;
    using Real = __m256d;
    using Int = __m256i;
    using Mask = __m256d;

    static Real load(const double* p) { return _mm256_loadu_pd(p); }
    static void store(double* p, Real v) { _mm256_storeu_pd(p, v); }
    static Real set1(double v) { return _mm256_set1_pd(v); }
    static Real firstLanes() { return _mm256_set_pd(3, 2, 1, 0); }
    static Real add(Real a, Real b) { return _mm256_add_pd(a, b); }
    static Real sub(Real a, Real b) { return _mm256_sub_pd(a, b); }
    static Real mul(Real a, Real b) { return _mm256_mul_pd(a, b); }
    static Real div(Real a, Real b) { return _mm256_div_pd(a, b); }
    static Real sqrt(Real a) { return _mm256_sqrt_pd(a); }
    static Real fmadd(Real a, Real b, Real c) { return _mm256_fmadd_pd(a, b, c); }
    static Real fnmadd(Real a, Real b, Real c) { return _mm256_fnmadd_pd(a, b, c); }
    static Real divWhere(Mask m, Real q, Real a, Real b) { return _mm256_blendv_pd(q, _mm256_div_pd(a, b), m); }
    static Real loadWhere(Mask m, const double* p) { return _mm256_maskload_pd(p, asInt(m)); }
    static void storeWhere(Mask m, double* p, Real v) { _mm256_maskstore_pd(p, asInt(m), v); }
    static Real reverse(Real a) { return _mm256_permute4x64_pd(a, 0x1b); }
    // Lanes 1.. move down one; *top enters the last lane.
    static Real shiftDown(Real a, const double* top) {
        return _mm256_blend_pd(_mm256_permute4x64_pd(a, 0x39), _mm256_broadcast_sd(top), 0x8);
    }
    static void storeFirst(double* p, Real a) { _mm_store_sd(p, _mm256_castpd256_pd128(a)); }
    static Real subWhere(Mask m, Real sum, Real term) { return _mm256_sub_pd(sum, _mm256_and_pd(m, term)); }
    static Real abs(Real a) { return _mm256_andnot_pd(_mm256_set1_pd(-0.0), a); }
    static Mask greater(Real a, Real b) { return _mm256_cmp_pd(a, b, _CMP_GT_OQ); }
    static Mask greaterEqual(Real a, Real b) { return _mm256_cmp_pd(a, b, _CMP_GE_OQ); }
    static Mask less(Real a, Real b) { return _mm256_cmp_pd(a, b, _CMP_LT_OQ); }
    static Mask lessEqual(Real a, Real b) { return _mm256_cmp_pd(a, b, _CMP_LE_OQ); }
    static Mask equal(Real a, Real b) { return _mm256_cmp_pd(a, b, _CMP_EQ_OQ); }
    static Mask andNot(Mask a, Mask b) { return _mm256_andnot_pd(a, b); }
    static Mask both(Mask a, Mask b) { return _mm256_and_pd(a, b); }
    static Mask none() { return _mm256_setzero_pd(); }
    static unsigned bits(Mask m) { return static_cast<unsigned>(_mm256_movemask_pd(m)); }
    static Real where(Mask m, Real v) { return _mm256_and_pd(m, v); }
    // a + b and a * b with a the first operand, as the plain loop compiles them: where two
    // NaNs meet x86 keeps the first, and a compiler may swap the operands of an intrinsic it
    // knows to commute. addWhere keeps the sum first likewise.
    static Real addFirst(Real a, Real b) {
        Real r;
        __asm__("vaddpd %[b], %[a], %[r]" : [r] "=x"(r) : [a] "x"(a), [b] "x"(b));
        return r;
    }
    static Real mulFirst(Real a, Real b) {
        Real r;
        __asm__("vmulpd %[b], %[a], %[r]" : [r] "=x"(r) : [a] "x"(a), [b] "x"(b));
        return r;
    }
    static Real addWhere(Mask m, Real sum, Real term) { return addFirst(sum, _mm256_and_pd(m, term)); }

    static Int asInt(Real a) { return _mm256_castpd_si256(a); }
    static Real asReal(Int a) { return _mm256_castsi256_pd(a); }
    static Int andInt(Int a, int64_t b) { return _mm256_and_si256(a, _mm256_set1_epi64x(b)); }
    static Int addInt(Int a, Int b) { return _mm256_add_epi64(a, b); }
    static Int shiftLeft(Int a, int n) { return _mm256_slli_epi64(a, n); }
    static Int gather(const uint64_t* table, Int index) {
        return _mm256_i64gather_epi64(reinterpret_cast<const long long*>(table), index, 8);
    }
};

}  // namespace selvane::step_kernels::avx2
