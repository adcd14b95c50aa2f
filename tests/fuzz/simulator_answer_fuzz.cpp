// The simulator's answers: bytes cut into objects at every read boundary give the same objects as
// one read, every object (or anything else) is read without throwing, and the bridge takes each
// answer, whatever it says, without a fault.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "bridge.h"
#include "fuzz_support.h"
#include "json_object_stream.h"
#include "simulator_answer.h"

namespace {

class QuietOutputs : public openconnect::BridgeOutputs {
 public:
  bool Connected() const override { return true; }
  bool SendToSimulator(const std::string&) override { return true; }
  void SelectClub(int clubCode) override {
    FUZZ_CHECK(clubCode >= 0 && clubCode <= 12, "only the sensor's club codes are selected");
  }
  void Tell(const std::string&) override {}
  void Warn(const std::string&) override {}
  void RecordShot(const nlohmann::ordered_json& line) override {
    // The history line must be writable whatever the answer held.
    (void)line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
  }
  std::string WallTime() const override { return "now"; }
};

std::vector<std::string> Objects(const std::vector<openconnect::StreamPiece>& pieces) {
  std::vector<std::string> objects;
  for (const auto& piece : pieces) {
    if (piece.object) objects.push_back(piece.text);
  }
  return objects;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // The first byte picks where the reads are cut.
  const size_t cut = 1 + data[0] % 13;
  const char* text = reinterpret_cast<const char*>(data + 1);
  const size_t length = size - 1;

  openconnect::JsonObjectStream whole;
  const std::vector<std::string> expected = Objects(whole.Feed(text, length));
  openconnect::JsonObjectStream pieces;
  std::vector<std::string> got;
  for (size_t at = 0; at < length; at += cut) {
    const auto more = Objects(pieces.Feed(text + at, std::min(cut, length - at)));
    got.insert(got.end(), more.begin(), more.end());
  }
  FUZZ_CHECK(got == expected, "the same objects however the reads are cut");

  QuietOutputs outputs;
  openconnect::Bridge bridge(outputs, 5.0);
  bridge.OnConnected(0.0);
  double now = 0.0;
  for (const std::string& object : expected) {
    // A mismatched bracket may end one; the parser then refuses it.
    FUZZ_CHECK(object.front() == '{' && (object.back() == '}' || object.back() == ']'),
               "an object runs from its brace to the bracket that closes it");
    bridge.OnAnswer(openconnect::ReadAnswer(object), now += 0.1);
  }
  bridge.Finish(now);
  return 0;
}
