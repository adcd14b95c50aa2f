// How far the delivered shots are from the truth: per quantity the mean absolute and the mean
// signed error (measured minus true) over the shots delivered, each measured by its first
// delivery. Putts are kept apart: the sensor gives them no vertical angle and no spins.
#pragma once

#include <cstddef>

#include "shot_join.h"

namespace accuracy {

class ErrorStats {
 public:
  // A quantity missing on either side is not counted.
  void Add(double measured, double truth);
  void AddError(double error);
  size_t count() const { return count_; }
  double MeanAbs() const;     // NaN without a count
  double MeanSigned() const;  // NaN without a count

 private:
  size_t count_ = 0;
  double sumAbs_ = 0;
  double sumSigned_ = 0;
};

struct ShotErrors {
  size_t shots = 0;  // delivered shots in the group
  ErrorStats speed;  // m/s
  ErrorStats speedPercent;
  ErrorStats hla;  // degrees
  ErrorStats vla;
  ErrorStats sidespin;  // rpm
  ErrorStats backspin;
};

struct Summary {
  ShotErrors full;   // every club but the putter
  ShotErrors putts;  // speed, speed percent and horizontal angle only
};

Summary Summarise(const JoinResult& join);

}  // namespace accuracy
