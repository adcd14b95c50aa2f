#include "shot_join.h"

#include <algorithm>

#include "clientlink/client_link.h"

namespace accuracy {

namespace {

TruthEvent Unlogged(const ScriptStrike& strike) {
  TruthEvent e;
  e.t = strike.t;
  e.shot = strike.shot;
  e.area = strike.area;
  e.hand = strike.hand;
  e.logged = false;
  e.line = {{"t", strike.t},
            {"kind", strike.shot ? "shot" : "swing"},
            {"area", strike.area},
            {"hand", strike.hand}};
  return e;
}

}  // namespace

JoinResult JoinDeliveries(const std::vector<TruthEvent>& truth,
                          const std::vector<ScriptStrike>& script,
                          const std::vector<Arrival>& arrivals) {
  JoinResult join;
  for (const TruthEvent& e : truth) join.events.push_back({e, {}});
  for (size_t i = truth.size(); i < script.size(); ++i) {
    join.events.push_back({Unlogged(script[i]), {}});
  }

  Measured* awaitingPath = nullptr;
  for (const Arrival& arrival : arrivals) {
    const ClientMessage& message = arrival.message;
    if (message.code == clientlink::CODE_SHOT_RESULT) {
      const size_t logged = std::min(arrival.truthLines, truth.size());
      std::vector<Measured>& into =
          logged == 0 ? join.unattributed : join.events[logged - 1].deliveries;
      into.push_back({message.fields, nullptr});
      awaitingPath = &into.back();
    } else if (message.code == clientlink::CODE_FLIGHT_PATH && awaitingPath != nullptr) {
      awaitingPath->path = message.fields;
      awaitingPath = nullptr;
    }
  }
  return join;
}

std::string DeliveryMark(const JoinedEvent& event) {
  const size_t n = event.deliveries.size();
  if (!event.truth.shot) return n > 0 ? "swing delivered as a shot" : "";
  if (n == 0) return "not delivered";
  if (n == 2) return "delivered twice";
  if (n > 2) return "delivered " + std::to_string(n) + " times";
  return "";
}

bool DeliveredAsPlayed(const JoinResult& join) {
  return join.unattributed.empty() &&
         std::all_of(join.events.begin(), join.events.end(),
                     [](const JoinedEvent& e) { return DeliveryMark(e).empty(); });
}

}  // namespace accuracy
