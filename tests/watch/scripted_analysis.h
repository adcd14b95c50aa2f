// A scripted shot analysis for the watch tests: it reports the outcome the test chose and
// records how it was called. It takes the place of the real analysis in the test programs that
// compile scripted_analysis.cpp.
#pragma once

#include <cstdint>

#include "watch/watch_state.h"

class CMainCamera;

struct ScriptedAnalysis {
  int32_t outcome = ANALYSIS_NO_SHOT;
  int calls = 0;
  int callsWhileAnalysing = 0;  // calls that found the camera's analysing byte set
  const CMainCamera* lastCamera = nullptr;
};

// The script of the running test; reset it at the start of each test.
ScriptedAnalysis& Analysis();
