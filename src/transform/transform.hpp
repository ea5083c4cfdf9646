#pragma once

#include "case_state.hpp"
#include "run_io.hpp"

// The wave length iteration at the offshore depth: prepares twoPi, lo, fourPi and
// steepLimitLength, then yields l1, co, ks and the offshore breakLimitHeight.
void computeOffshoreWaveLength(CaseState& state);

// Caps hs at the breaking limit, reports the deep-water and offshore waves and the surf depth,
// asks for the local depth and the offshore angle, and refracts the wave to deep water by
// Snell's law: so, aor, cosAor, kr and deepHeight.
void refractOffshoreWave(CaseState& state, RunIo& io);

// The wave length iteration again, at the local depth: localLength, localCelerity,
// groupRatio, ksLocal and the local breakLimitHeight.
void computeLocalWaveLength(CaseState& state);

// The local angle by Snell's law, the local refraction coefficient and the local height.
void computeLocalWave(CaseState& state, RunIo& io);

// Reports Hrms, Hs, H10 and H1 offshore and locally, prepares the height classes and hnso, and
// asks whether to go on. Returns true when the answer is 1.
bool computeHeightStatistics(CaseState& state, RunIo& io);
