#include "ball_flight.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "aero_coefficients.h"

namespace flighttable {
namespace {

struct CState {
  double x = 0.0;  // along the launch line
  double y = 0.0;  // height
  double vx = 0.0;
  double vy = 0.0;
  double omega = 0.0;  // back spin, rad/s
};

constexpr double kRadius = kBallDiameter / 2.0;
// Half the air density times the cross-section over the mass: turns C v^2 into an acceleration.
constexpr double kAeroFactor = 0.5 * kAirDensity * std::numbers::pi * kRadius * kRadius / kBallMass;
// Spin decay of Smits and Smith: d(omega)/dt = -kSpinDecay (v / r) omega.
constexpr double kSpinDecay = 2.0e-5;
// A ball still in the air after this long is a model failure, not a flight.
constexpr double kMaxFlightSeconds = 60.0;
constexpr int kSubsteps = 4;

CState Derivative(const CState& s) {
  const double v = std::hypot(s.vx, s.vy);
  CState d;
  d.x = s.vx;
  d.y = s.vy;
  if (v <= 0.0) {
    d.vy = -kGravity;
    return d;
  }
  const double spinFactor = kRadius * s.omega / v;
  const double cd = DragCoefficient(v * kBallDiameter / kAirKinematicViscosity, spinFactor);
  const double cl = LiftCoefficient(spinFactor);
  // Drag against the velocity, lift across it (back spin lifts a ball that moves forward).
  d.vx = -kAeroFactor * v * (cd * s.vx + cl * s.vy);
  d.vy = -kAeroFactor * v * (cd * s.vy - cl * s.vx) - kGravity;
  d.omega = -kSpinDecay * (v / kRadius) * s.omega;
  return d;
}

CState Add(const CState& s, const CState& d, double h) {
  return {s.x + h * d.x, s.y + h * d.y, s.vx + h * d.vx, s.vy + h * d.vy, s.omega + h * d.omega};
}

CState RungeKuttaStep(const CState& s, double h) {
  const CState k1 = Derivative(s);
  const CState k2 = Derivative(Add(s, k1, h / 2));
  const CState k3 = Derivative(Add(s, k2, h / 2));
  const CState k4 = Derivative(Add(s, k3, h));
  CState n = s;
  n.x += h / 6 * (k1.x + 2 * k2.x + 2 * k3.x + k4.x);
  n.y += h / 6 * (k1.y + 2 * k2.y + 2 * k3.y + k4.y);
  n.vx += h / 6 * (k1.vx + 2 * k2.vx + 2 * k3.vx + k4.vx);
  n.vy += h / 6 * (k1.vy + 2 * k2.vy + 2 * k3.vy + k4.vy);
  n.omega += h / 6 * (k1.omega + 2 * k2.omega + 2 * k3.omega + k4.omega);
  return n;
}

}  // namespace

CBallFlight Fly(const CLaunch& launch, double stepSeconds, int maxPoints) {
  const double elevation = launch.m_elevationDeg * std::numbers::pi / 180.0;
  CState s;
  s.vx = launch.m_speedMps * std::cos(elevation);
  s.vy = launch.m_speedMps * std::sin(elevation);
  s.omega = launch.m_backSpinRpm * 2.0 * std::numbers::pi / 60.0;

  CBallFlight flight;
  auto keep = [&](double height, double distance) {
    if (static_cast<int>(flight.m_points.size()) < maxPoints) {
      flight.m_points.push_back({static_cast<float>(height), static_cast<float>(distance)});
    }
  };
  keep(0.0, 0.0);

  const double h = stepSeconds / kSubsteps;
  double t = 0.0;
  for (int step = 1; t < kMaxFlightSeconds; ++step) {
    for (int sub = 0; sub < kSubsteps; ++sub) {
      const CState next = RungeKuttaStep(s, h);
      t += h;
      if (next.y < 0.0) {
        // Back at launch height: place the landing between the two states.
        const double f = s.y / (s.y - next.y);
        flight.m_carry = s.x + f * (next.x - s.x);
        flight.m_flightTime = t - h + f * h;
        keep(0.0, flight.m_carry);
        return flight;
      }
      s = next;
      flight.m_apex = std::max(flight.m_apex, s.y);
    }
    keep(s.y, s.x);
  }
  flight.m_carry = s.x;
  flight.m_flightTime = t;
  return flight;
}

}  // namespace flighttable
