#pragma once
// The velocity sums with each pair's shared work done once. For stars i < j, dx, dy, dz of
// (j, i) are the exact negations of those of (i, j), and r2, its square root, its reciprocal
// and exp(k r2) are the same: only the two quotients by r2 depend on which star pulls. Star j
// takes the pull of i as S_j - f_ji dx_ij, the same bits as the plain loop's S_j + f_ji dx_ji
// (the pair counts only where r2 > 0, so no dx is a NaN).
//
// Every star must still receive its terms in ascending order of the other star. Rows of a
// register of stars i are taken in ascending order; a row first takes its own register's pairs
// (each star, lane by lane, over the register's stars in order), then streams over every later
// star j: row lanes hold stars i in descending order and at step t lane l meets star t + l,
// so each star j's sum moves down one lane a step and meets the row's stars in ascending
// order, with neither a transpose nor a horizontal sum. Included only by the files of each
// instruction set, with that set's Lanes.
#include "engine/exact_division.h"
#include "engine/step_lanes.h"

namespace selvane::step_kernels {
namespace {  // one copy in each file built for its instruction set, as in step_lanes.h

// One lane's pair: its separation, and what both stars' pulls share.
template <class V>
struct Pair {
    typename V::Real dx, dy, dz, r2;
    typename V::Mask active;  // lanes the plain loop sums: r2 > 0, not a star with itself
    // Set by share: sqrt(r2), 1 - exp(k r2) where any lane needs exp (else f is the quotient
    // itself, as 1 * q is q), and the lanes that divide on the processor whatever the masses.
    typename V::Real root, keep;
    bool anyExp;
    Divisor<V> divisor;
    typename V::Mask slow;
};

template <class V>
[[gnu::always_inline]] inline Pair<V> pairOf(typename V::Real xj, typename V::Real yj, typename V::Real zj, typename V::Real xi,
               typename V::Real yi, typename V::Real zi, typename V::Mask active) {
    Pair<V> p;
    p.dx = V::sub(xj, xi), p.dy = V::sub(yj, yi), p.dz = V::sub(zj, zi);
    p.r2 = V::add(V::add(V::mul(p.dx, p.dx), V::mul(p.dy, p.dy)), V::mul(p.dz, p.dz));
    p.active = V::both(V::greater(p.r2, V::set1(0.0)), active);
    return p;
}

template <class V>
[[gnu::always_inline]] inline void share(const Galaxy& g, Pair<V>& p) {
    p.root = V::sqrt(p.r2);
    p.divisor = divisorOf<V>(p.r2);
    const typename V::Real kr2 = V::mul(V::set1(g.k), p.r2);
    const typename V::Mask need = V::andNot(V::less(kr2, V::set1(kExpSkipBound)), p.active);
    p.anyExp = V::bits(need) != 0;
    if (p.anyExp) p.keep = V::sub(V::set1(1.0), expWhereNeeded<V>(kr2, need));
    p.slow = V::andNot(p.divisor.fast, p.active);
}

// RowSegment::massesModerate: then sqrt(r2) m is in quotientTwice's range wherever r2 is in
// the divisor's, and the masses need no check pair by pair.

// f of the star pulled by mass m: (sqrt(r2) * m / r2 / r2) * (1 - exp(k r2)), as the plain loop.
template <class V, bool kModerate>
[[gnu::always_inline]] inline typename V::Real pull(const Pair<V>& p, typename V::Real m) {
    const typename V::Real a = V::mul(p.root, m);
    typename V::Mask slow = p.slow;
    if constexpr (!kModerate)
        slow = V::andNot(V::both(p.divisor.fast, dividendFits<V>(a, kTwiceLow, kTwiceHigh)), p.active);
    const typename V::Real q = quotientTwice<V>(a, p.divisor, slow);
    return p.anyExp ? V::mulFirst(q, p.keep) : q;
}

template <class V>
[[gnu::always_inline]] inline typename V::Mask everyLane() {
    return V::equal(V::set1(0.0), V::set1(0.0));
}

template <class V>
[[gnu::always_inline]] inline typename V::Mask firstLanesOf(int32_t count) {
    return V::less(V::firstLanes(), V::set1(static_cast<double>(count)));
}

// Adds to the stars i of `rows` (lanes in `stars`) the pulls of stars [jBegin, jEnd), in order.
// Only where mayBeSelf can j be one of the stars i.
template <class V, bool mayBeSelf, bool kModerate>
void pullOneSide(const Galaxy& g, int32_t jBegin, int32_t jEnd, typename V::Mask rows, StarsI<V>& stars) {
    for (int32_t j = jBegin; j < jEnd; ++j) {
        typename V::Mask active = rows;
        if constexpr (mayBeSelf) active = V::andNot(V::equal(stars.number, V::set1(j)), active);
        Pair<V> p = pairOf<V>(V::set1(g.x[j]), V::set1(g.y[j]), V::set1(g.z[j]), stars.x, stars.y, stars.z, active);
        if (V::bits(p.active) == 0) continue;
        share(g, p);
        const typename V::Real f = pull<V, kModerate>(p, V::set1(g.m[j]));
        stars.sx = V::addWhere(p.active, stars.sx, V::mul(f, p.dx));
        stars.sy = V::addWhere(p.active, stars.sy, V::mul(f, p.dy));
        stars.sz = V::addWhere(p.active, stars.sz, V::mul(f, p.dz));
    }
}

// The stars [i, i + count) of one register, count at most a register, with their sums so far.
template <class V>
StarsI<V> loadStars(const Galaxy& g, const Sums& sums, int32_t i, typename V::Mask rows) {
    return {V::loadWhere(rows, g.x + i),   V::loadWhere(rows, g.y + i),    V::loadWhere(rows, g.z + i),
            V::add(V::set1(i), V::firstLanes()), V::loadWhere(rows, sums.x + i), V::loadWhere(rows, sums.y + i),
            V::loadWhere(rows, sums.z + i)};
}

template <class V>
void storeSums(const Sums& sums, int32_t i, typename V::Mask rows, const StarsI<V>& stars) {
    V::storeWhere(rows, sums.x + i, stars.sx);
    V::storeWhere(rows, sums.y + i, stars.sy);
    V::storeWhere(rows, sums.z + i, stars.sz);
}

// Steps whose chains of square root, reciprocal and divisions overlap: fewer leave the core
// waiting on them, more spill registers (4 measured best with AVX-512).
constexpr int kOverlappedSteps = 4;


// One row's stream: lane l holds row star b + L-1-l and, at step t, the sum of star t + l.
template <class V, bool kModerate>
struct Stream {
    using Real = typename V::Real;
    const Galaxy& g;
    const Sums& sums;
    int32_t jStart, jEnd;
    Real xi, yi, zi, mi;  // the row's stars, last first
    Real rx, ry, rz;      // their sums
    Real cx, cy, cz;      // the sums of the stars they meet

    // Steps t .. t + K - 1: the separations, square roots, reciprocals and exps of all K
    // first, then each step's pulls and sums in order. The K chains are independent, and so
    // overlap. kEdge: some lanes meet no star of [jStart, jEnd), as where the stream fills or
    // empties.
    template <int K, bool kEdge>
    [[gnu::always_inline]] void steps(int32_t t) {
        typename V::Mask valid[K];
        const Real lane = V::firstLanes();
#pragma GCC unroll 8
        for (int k = 0; k < K; ++k)
            valid[k] = kEdge ? V::both(V::greaterEqual(lane, V::set1(jStart - t - k)), V::less(lane, V::set1(jEnd - t - k)))
                             : everyLane<V>();
        const auto load = [&valid](int k, const double* p) { return kEdge ? V::loadWhere(valid[k], p) : V::load(p); };
        Pair<V> p[K];
#pragma GCC unroll 8
        for (int k = 0; k < K; ++k)
            p[k] = pairOf<V>(load(k, g.x + t + k), load(k, g.y + t + k), load(k, g.z + t + k), xi, yi, zi, valid[k]);
#pragma GCC unroll 8
        for (int k = 0; k < K; ++k) share(g, p[k]);
#pragma GCC unroll 8
        for (int k = 0; k < K; ++k)
            add(t + k, p[k], pull<V, kModerate>(p[k], load(k, g.m + t + k)), pull<V, kModerate>(p[k], mi));
    }

    // Steps [t, end) with lanes outside the stars j masked, overlapped as far as they go.
    [[gnu::always_inline]] void edgeSteps(int32_t t, int32_t end) {
        constexpr int K = kOverlappedSteps;
        for (; t + K <= end; t += K) steps<K, true>(t);
        switch (end - t) {
            case 3: steps<3, true>(t); break;
            case 2: steps<2, true>(t); break;
            case 1: steps<1, true>(t); break;
            default: break;
        }
    }

    // Step t's terms, in order; then star t has met the whole row and leaves the stream.
    [[gnu::always_inline]] void add(int32_t t, const Pair<V>& p, Real fRow, Real fColumn) {
        constexpr int L = V::kLanes;
        rx = V::addWhere(p.active, rx, V::mul(fRow, p.dx));
        ry = V::addWhere(p.active, ry, V::mul(fRow, p.dy));
        rz = V::addWhere(p.active, rz, V::mul(fRow, p.dz));
        cx = V::subWhere(p.active, cx, V::mul(fColumn, p.dx));
        cy = V::subWhere(p.active, cy, V::mul(fColumn, p.dy));
        cz = V::subWhere(p.active, cz, V::mul(fColumn, p.dz));
        if (t >= jStart) {
            V::storeFirst(sums.x + t, cx);
            V::storeFirst(sums.y + t, cy);
            V::storeFirst(sums.z + t, cz);
        }
        static const double kNothing = 0;
        const bool more = t + L < jEnd;
        cx = V::shiftDown(cx, more ? sums.x + t + L : &kNothing);
        cy = V::shiftDown(cy, more ? sums.y + t + L : &kNothing);
        cz = V::shiftDown(cz, more ? sums.z + t + L : &kNothing);
    }
};

template <class V, bool kModerate>
void streamRow(const Galaxy& g, const Sums& sums, int32_t row, int32_t jStart, int32_t jEnd) {
    constexpr int L = V::kLanes;
    const int32_t b = row * L;
    const auto reversed = [b](const double* p) { return V::reverse(V::load(p + b)); };
    int32_t t = jStart - (L - 1);
    const typename V::Mask first = V::greaterEqual(V::firstLanes(), V::set1(L - 1));  // star jStart
    Stream<V, kModerate> s{g,
                sums,
                jStart,
                jEnd,
                reversed(g.x),
                reversed(g.y),
                reversed(g.z),
                reversed(g.m),
                reversed(sums.x),
                reversed(sums.y),
                reversed(sums.z),
                V::loadWhere(first, sums.x + t),
                V::loadWhere(first, sums.y + t),
                V::loadWhere(first, sums.z + t)};
    constexpr int K = kOverlappedSteps;
    static_assert(K == 4, "edgeSteps takes what is left of K steps");
    const int32_t filled = jStart < jEnd ? jStart : jEnd;  // from here every lane meets a star
    s.edgeSteps(t, filled);
    for (t = filled; t + K + L - 1 <= jEnd; t += K) s.template steps<K, false>(t);
    s.edgeSteps(t, jEnd);
    V::store(sums.x + b, V::reverse(s.rx)), V::store(sums.y + b, V::reverse(s.ry)), V::store(sums.z + b, V::reverse(s.rz));
}

template <class V, bool kModerate>
void pairsOnceRowModerate(const Galaxy& g, const Sums& sums, const RowSegment& segment) {
    const int32_t b = segment.row * V::kLanes;
    if (segment.ownPairs) {
        const int32_t own = g.n - b < V::kLanes ? g.n : b + V::kLanes;
        const typename V::Mask rows = firstLanesOf<V>(own - b);
        StarsI<V> stars = loadStars<V>(g, sums, b, rows);
        pullOneSide<V, true, kModerate>(g, b, own, rows, stars);
        storeSums<V>(sums, b, rows, stars);
    }
    // Only a whole row has stars after it.
    if (segment.jBegin < segment.jEnd) streamRow<V, kModerate>(g, sums, segment.row, segment.jBegin, segment.jEnd);
}

template <class V>
void pairsOnceRowLanes(const Galaxy& g, const Sums& sums, const RowSegment& segment) {
    if (segment.massesModerate)
        pairsOnceRowModerate<V, true>(g, sums, segment);
    else
        pairsOnceRowModerate<V, false>(g, sums, segment);
}

}  // namespace
}  // namespace selvane::step_kernels
