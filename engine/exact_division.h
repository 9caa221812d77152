#pragma once
// a / b with the processor's own bits, from fused multiply-adds: several quotients by one b
// share one reciprocal, y = RN(1/b) from the processor's division, and each then costs four
// operations on the multiply-add pipes instead of a division. With y + yLow = 1/b to about
// 2^-106, a first quotient q is within an ulp of a/b, the remainder r = a - b q is exact and
// q + r y rounds to RN(a/b) (Markstein). Lanes where the exponents could make a remainder
// inexact take the processor's division. (A reciprocal from the 14-bit estimate, two Newton
// steps and Markstein's correction, which must then leave out divisors whose significand is
// all ones, measured slower here: the divider is fast and the multiply-add pipes are full.)
// Included only by the files of each instruction set, with that set's Lanes.
#include <cstdint>

namespace selvane::step_kernels {
namespace {  // one copy in each file built for its instruction set, as in step_lanes.h

// Divisors and dividends in these ranges keep every product, remainder and quotient of the
// sequence far from overflow and from the subnormals, where the remainder is no longer exact.
constexpr double kDivisorLow = 0x1p-200, kDivisorHigh = 0x1p200;
constexpr double kDividendLow = 0x1p-400, kDividendHigh = 0x1p400;
// A dividend in these, by a divisor in range, gives a quotient in the dividend's range: a / b / b
// takes the multiply-adds twice on one check.
constexpr double kTwiceLow = 0x1p-200, kTwiceHigh = 0x1p200;

// Which steps of the sequence run: all of them, except in the tests' controls.
enum class DivisionSteps { Whole, NoQuotientCorrection };

template <class V>
struct Divisor {
    typename V::Real b;
    typename V::Real y;     // RN(1/b) in the fast lanes
    typename V::Real yLow;  // about 1/b - y, so y + yLow is 1/b to twice the precision
    typename V::Mask fast;  // lanes where b lets the multiply-adds give the quotient
};

template <class V>
[[gnu::always_inline]] inline Divisor<V> divisorOf(typename V::Real b) {
    const typename V::Real one = V::set1(1.0), y = V::div(one, b);
    return {b, y, V::mul(y, V::fnmadd(b, y, one)),
            V::both(V::greaterEqual(b, V::set1(kDivisorLow)), V::lessEqual(b, V::set1(kDivisorHigh)))};
}

// Lanes whose |a| is in [low, high] (NaN is not).
template <class V>
[[gnu::always_inline]] inline typename V::Mask dividendFits(typename V::Real a, double low = kDividendLow, double high = kDividendHigh) {
    const typename V::Real magnitude = V::abs(a);
    return V::both(V::greaterEqual(magnitude, V::set1(low)), V::lessEqual(magnitude, V::set1(high)));
}

// RN(a / b) from the multiply-adds alone: right in the lanes in both d.fast and dividendFits.
template <class V, DivisionSteps kSteps = DivisionSteps::Whole>
[[gnu::always_inline]] inline typename V::Real fmaQuotient(typename V::Real a, const Divisor<V>& d) {
    typename V::Real q = V::fmadd(a, d.yLow, V::mul(a, d.y));  // within an ulp
    if constexpr (kSteps != DivisionSteps::NoQuotientCorrection) q = V::fmadd(V::fnmadd(d.b, q, a), d.y, q);
    return q;
}

// RN(a / b) in every lane but the skipped ones, whose results mean nothing. The caller
// names the lanes that divide on the processor: at least every lane it needs that is not
// both in d.fast and in dividendFits.
template <class V, DivisionSteps kSteps = DivisionSteps::Whole>
[[gnu::always_inline]] inline typename V::Real quotient(typename V::Real a, const Divisor<V>& d, typename V::Mask slow) {
    const typename V::Real q = fmaQuotient<V, kSteps>(a, d);
    return V::bits(slow) ? V::divWhere(slow, q, a, d.b) : q;
}

// RN(RN(a / b) / b), the lanes that need the processor's divisions named as for quotient
// with a in [kTwiceLow, kTwiceHigh]; one check for both.
template <class V>
[[gnu::always_inline]] inline typename V::Real quotientTwice(typename V::Real a, const Divisor<V>& d,
                                                             typename V::Mask slow) {
    const typename V::Real q = fmaQuotient<V>(fmaQuotient<V>(a, d), d);
    return V::bits(slow) ? V::divWhere(slow, q, V::div(a, d.b), d.b) : q;
}

// One register of quotients from memory to memory, every lane needed; for the tests.
template <class V, DivisionSteps kSteps>
void divideSteps(const double* a, const double* b, double* q) {
    const typename V::Real dividend = V::load(a);
    const Divisor<V> d = divisorOf<V>(V::load(b));
    const typename V::Mask every = V::equal(V::set1(0.0), V::set1(0.0));
    const typename V::Mask fast = V::both(d.fast, dividendFits<V>(dividend));
    V::store(q, quotient<V, kSteps>(dividend, d, V::andNot(fast, every)));
}

template <class V>
void divideInMemory(const double* a, const double* b, double* q, int steps) {
    if (steps == 1)
        divideSteps<V, DivisionSteps::NoQuotientCorrection>(a, b, q);
    else
        divideSteps<V, DivisionSteps::Whole>(a, b, q);
}

}  // namespace
}  // namespace selvane::step_kernels
