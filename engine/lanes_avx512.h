#pragma once
// Eight doubles per register, with mask registers; for files built with AVX-512F.
#include <immintrin.h>

#include <cstdint>

#if defined(__GNUC__) && !defined(__clang__)
// GCC's 512-bit intrinsics start from an undefined register and then warn, wherever they are
// inlined, that it is used.
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

namespace selvane::step_kernels::avx512 {

struct Lanes {
    static constexpr int kLanes = 8;
    static constexpr bool kExpInLanes = true;
    using Real = __m512d;
    using Int = __m512i;
    using Mask = __mmask8;

    static Real load(const double* p) { return _mm512_loadu_pd(p); }
    static void store(double* p, Real v) { _mm512_storeu_pd(p, v); }
    static Real set1(double v) { return _mm512_set1_pd(v); }
    static Real firstLanes() { return _mm512_set_pd(7, 6, 5, 4, 3, 2, 1, 0); }
    static Real add(Real a, Real b) { return _mm512_add_pd(a, b); }
    static Real sub(Real a, Real b) { return _mm512_sub_pd(a, b); }
    static Real mul(Real a, Real b) { return _mm512_mul_pd(a, b); }
    static Real div(Real a, Real b) { return _mm512_div_pd(a, b); }
    static Real sqrt(Real a) { return _mm512_sqrt_pd(a); }
    static Real fmadd(Real a, Real b, Real c) { return _mm512_fmadd_pd(a, b, c); }
    static Real fnmadd(Real a, Real b, Real c) { return _mm512_fnmadd_pd(a, b, c); }
    static Real divWhere(Mask m, Real q, Real a, Real b) { return _mm512_mask_div_pd(q, m, a, b); }
    static Real loadWhere(Mask m, const double* p) { return _mm512_maskz_loadu_pd(m, p); }
    static void storeWhere(Mask m, double* p, Real v) { _mm512_mask_storeu_pd(p, m, v); }
    static Real reverse(Real a) { return _mm512_permutexvar_pd(_mm512_set_epi64(0, 1, 2, 3, 4, 5, 6, 7), a); }
    // Lanes 1.. move down one; *top enters the last lane.
    static Real shiftDown(Real a, const double* top) {
        return asReal(_mm512_alignr_epi64(asInt(_mm512_castpd128_pd512(_mm_load_sd(top))), asInt(a), 1));
    }
    static void storeFirst(double* p, Real a) { _mm_store_sd(p, _mm512_castpd512_pd128(a)); }
    static Real subWhere(Mask m, Real sum, Real term) { return _mm512_mask_sub_pd(sum, m, sum, term); }
    static Real abs(Real a) { return _mm512_abs_pd(a); }
    static Mask greater(Real a, Real b) { return _mm512_cmp_pd_mask(a, b, _CMP_GT_OQ); }
    static Mask greaterEqual(Real a, Real b) { return _mm512_cmp_pd_mask(a, b, _CMP_GE_OQ); }
    static Mask less(Real a, Real b) { return _mm512_cmp_pd_mask(a, b, _CMP_LT_OQ); }
    static Mask lessEqual(Real a, Real b) { return _mm512_cmp_pd_mask(a, b, _CMP_LE_OQ); }
    static Mask equal(Real a, Real b) { return _mm512_cmp_pd_mask(a, b, _CMP_EQ_OQ); }
    static Mask andNot(Mask a, Mask b) { return static_cast<Mask>(~a & b); }
    static Mask both(Mask a, Mask b) { return a & b; }
    static Mask none() { return 0; }
    static unsigned bits(Mask m) { return m; }
    static Real where(Mask m, Real v) { return _mm512_maskz_mov_pd(m, v); }
    // a + b and a * b with a the first operand, as the plain loop compiles them: where two
    // NaNs meet x86 keeps the first, and a compiler may swap the operands of an intrinsic it
    // knows to commute. addWhere keeps the sum first likewise.
    static Real addFirst(Real a, Real b) {
        Real r;
        __asm__("vaddpd %[b], %[a], %[r]" : [r] "=v"(r) : [a] "v"(a), [b] "v"(b));
        return r;
    }
    static Real mulFirst(Real a, Real b) {
        Real r;
        __asm__("vmulpd %[b], %[a], %[r]" : [r] "=v"(r) : [a] "v"(a), [b] "v"(b));
        return r;
    }
    static Real addWhere(Mask m, Real sum, Real term) {
        __asm__("vaddpd %[t], %[s], %[s]%{%[m]%}" : [s] "+v"(sum) : [t] "v"(term), [m] "Yk"(m));
        return sum;
    }

    static Int asInt(Real a) { return _mm512_castpd_si512(a); }
    static Real asReal(Int a) { return _mm512_castsi512_pd(a); }
    static Int andInt(Int a, int64_t b) { return _mm512_and_epi64(a, _mm512_set1_epi64(b)); }
    static Int addInt(Int a, Int b) { return _mm512_add_epi64(a, b); }
    static Int shiftLeft(Int a, int n) { return _mm512_slli_epi64(a, static_cast<unsigned>(n)); }
    static Int gather(const uint64_t* table, Int index) { return _mm512_i64gather_epi64(index, table, 8); }
};

}  // namespace selvane::step_kernels::avx512
