#pragma once

namespace Quillon::Selvane {

// The Symulator's gravity step. Its pair sums run on the workers while the window's thread
// keeps answering; it ends (stars moved, view invalidated, counted, recorded) on the window's
// thread, so the counter and the recording are what a step on one thread gives.

// A tick of the simulation timer: starts a step unless one is in flight; one summed quickly
// ends at once, a longer one when its sums are done (a timer of its own looks).
void stepOnce();
// The look of that timer: ends the step once its sums are done.
void endStepIfSummed();
// Compose, Open, Save As and the viewing screens' builds change what the step reads or save
// the table: they wait for the step in flight and end it first. Painting and the playback
// controls need no wait: a frame shown goes into the displayed positions, which the step
// neither reads nor keeps (its end sets them anew), and the table's velocities change
// only as a step ends.
void settleStep();
// The program ends: a step in flight is dropped, never half recorded.
void dropStep();

}  // namespace Quillon::Selvane
