#pragma once

#include "case_state.hpp"
#include "run_io.hpp"

// Asks for gravity (which chooses US or SI units), the offshore depth, the fetch and the wind
// speed with their units, the duration and the two wind factors; echoes them to the report and
// converts fetch and speed to the run's length unit and to miles and miles per hour.
void readSiteAndWindInputs(CaseState& state, RunIo& io);

// Reports the wind setup in feet and metres, turns the duration into seconds and computes the
// wind-stress adjusted speed ua.
void computeWindSetup(CaseState& state, RunIo& io);

// Hindcasts hs and ts by the shallow-water growth laws, shortening the fetch 2 % a pass while
// the storm is too short for the waves that the fetch allows.
void computeWaveGrowth(CaseState& state, RunIo& io);
