#include "json_object_stream.h"

namespace openconnect {

namespace {

// Enough of the unusable bytes to recognise them in a debug line.
constexpr size_t kShownBytes = 40;

bool Blank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

void JsonObjectStream::Reset() {
  object_.clear();
  skipped_.clear();
  skippedCount_ = 0;
  depth_ = 0;
  inString_ = false;
  escaped_ = false;
}

void JsonObjectStream::Skip(char c) {
  if (skipped_.size() < kShownBytes) skipped_ += Blank(c) ? ' ' : (c > ' ' && c < 127) ? c : '?';
  ++skippedCount_;
}

void JsonObjectStream::EndSkipped(std::vector<StreamPiece>* pieces) {
  if (skippedCount_ == 0) return;
  pieces->push_back({false, std::to_string(skippedCount_) + " bytes that are no JSON object: \"" +
                                skipped_ + (skippedCount_ > skipped_.size() ? "...\"" : "\"")});
  skipped_.clear();
  skippedCount_ = 0;
}

std::vector<StreamPiece> JsonObjectStream::Feed(const char* data, size_t size) {
  std::vector<StreamPiece> pieces;
  for (size_t i = 0; i < size; ++i) {
    const char c = data[i];
    if (depth_ == 0) {
      if (c == '{') {
        EndSkipped(&pieces);
        object_.assign(1, c);
        depth_ = 1;
      } else if (!Blank(c) || skippedCount_ > 0) {
        Skip(c);
      }
      continue;
    }
    object_ += c;
    if (object_.size() > kLongestObject) {
      // What follows is read as bytes between objects again, so no count can grow without end.
      pieces.push_back({false, "an object longer than 1 MiB, dropped"});
      Reset();
      continue;
    }
    if (inString_) {
      if (escaped_) {
        escaped_ = false;
      } else if (c == '\\') {
        escaped_ = true;
      } else if (c == '"') {
        inString_ = false;
      }
      continue;
    }
    if (c == '"') {
      inString_ = true;
    } else if (c == '{' || c == '[') {
      ++depth_;
    } else if (c == '}' || c == ']') {
      if (--depth_ > 0) continue;
      pieces.push_back({true, std::move(object_)});
      object_.clear();
    }
  }
  // Unusable bytes are reported when the read that brought them ends, not held back until an
  // object comes.
  EndSkipped(&pieces);
  return pieces;
}

}  // namespace openconnect
