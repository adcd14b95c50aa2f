// What a stage of the analysis run tells the run: go on, or the run has ended.
#pragma once

#include <cstdint>

enum class Step : uint8_t { kGoOn, kEnd };
