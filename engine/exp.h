#pragma once

namespace selvane {

// e^x rounded the same way on every build and processor: a 2^(i/128) table and a degree-5
// polynomial with fused multiply-adds, bit for bit glibc's exp on processors with FMA.
// Uses the processor's FMA when it has one and an exact software one otherwise.
double exactExp(double x);

namespace exp_detail {
// The two paths exactExp chooses between, for tests; the hardware one only where
// hardwareFmaAvailable() says so.
bool hardwareFmaAvailable();
double expWithHardwareFma(double x);
double hardwareFma(double a, double b, double c);
double expWithSoftwareFma(double x);
// a * b + c rounded once, for finite arguments whose product and its rounding error neither
// overflow nor underflow (all that exp gives it).
double softwareFma(double a, double b, double c);
}  // namespace exp_detail

}  // namespace selvane
