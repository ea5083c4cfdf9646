#pragma once

#include "case_state.hpp"
#include "run_io.hpp"

// The console dialogue of each stage: its prompts, its console and report records, and the
// stage computations called in the dialogue's order.

// Asks for gravity (which chooses US or SI units), the offshore depth, the fetch and the wind
// speed with their units, the duration and the two wind factors; echoes them to the report.
void readSiteAndWindInputs(CaseState& state, RunIo& io);

// Reports the wind setup in feet and metres and the adjusted wind speed ua.
void reportWindSetup(CaseState& state, RunIo& io);

// Reports every pass of the growth loop, whether the storm was fetch or duration limited, and
// the hindcast hs and ts.
void reportWaveGrowth(CaseState& state, RunIo& io);

// Reports the deep-water and offshore waves and the surf depth, asks for the local depth and
// the offshore angle, and reports the refraction to deep water.
void reportOffshoreWave(CaseState& state, RunIo& io);

// Reports the local angle, the local wave and its breaking height.
void reportLocalWave(CaseState& state, RunIo& io);

// Reports Hrms, Hs, H10 and H1 offshore and locally, and asks whether to go on. Returns true
// when the answer is 1.
bool reportHeightStatistics(CaseState& state, RunIo& io);

// Reports the storm's exposure in each height class.
void reportClassExposure(CaseState& state, RunIo& io);

// Opens RESULTS.out, asks for the beach slope and the settling velocity, and reports the
// transport coefficient, the transport of each class and of the storm, and the surf current,
// with a pause before the questions and one at the end.
void reportTransport(CaseState& state, RunIo& io);
