#include "console/status_texts.h"

namespace console {

const char* BallStateName(int32_t state) {
  static constexpr const char* kNames[] = {"BALL_EMPTY", "BALL_READY", "BALL_SHOT",
                                           "BALL_SWING_NOT_SHOT"};
  return state >= 0 && state < 4 ? kNames[state] : "";
}

const char* ClubPathName(int32_t pathClass) {
  static constexpr const char* kNames[] = {"Out->In(Hook)",  "Out->In(Fade)", "In->Out(Draw)",
                                           "In->Out(Slice)", "Hook",          "Slice"};
  return pathClass >= 0 && pathClass < 6 ? kNames[pathClass] : "";
}

}  // namespace console
