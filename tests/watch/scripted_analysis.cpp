#include "watch/scripted_analysis.h"

#include "camera/main_camera.h"

ScriptedAnalysis& Analysis() {
  static ScriptedAnalysis script;
  return script;
}

int32_t CMainCamera::AnalyseShot() {
  ScriptedAnalysis& script = Analysis();
  ++script.calls;
  if (m_watch.m_analysing == 1) ++script.callsWhileAnalysing;
  script.lastCamera = this;
  return script.outcome;
}
