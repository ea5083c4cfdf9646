#pragma once

#include "case_state.hpp"
#include "run_io.hpp"

// The storm's exposure in each of the four height classes: the Rayleigh share of waves between
// the class bounds, in percent, times the storm's share of a 365-day year.
void computeClassExposure(CaseState& state, RunIo& io);

// Opens RESULTS.out, asks for the beach slope and the settling velocity, and reports the
// transport coefficient, the transport of each class and of the storm, and the surf current,
// with a pause before the questions and one at the end.
void computeTransport(CaseState& state, RunIo& io);
