#include "text_table.h"

#include <algorithm>

namespace accuracy {

namespace {

constexpr size_t kGap = 2;

void EndLine(std::string* line, std::string* out) {
  line->erase(line->find_last_not_of(' ') + 1);
  *out += *line + "\n";
  line->clear();
}

}  // namespace

void TextTable::AddGroup(size_t first, size_t last, std::string title) {
  if (first <= last && last < align_.size()) groups_.push_back({first, last, std::move(title)});
}

void TextTable::AddRow(std::vector<std::string> cells) {
  cells.resize(align_.size());
  rows_.push_back(std::move(cells));
}

std::vector<size_t> TextTable::Widths() const {
  std::vector<size_t> widths(align_.size(), 0);
  for (const auto& row : rows_) {
    for (size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], row[c].size());
  }
  // A title wider than its columns widens them all alike.
  for (const Group& g : groups_) {
    size_t span = (g.last - g.first) * kGap;
    for (size_t c = g.first; c <= g.last; ++c) span += widths[c];
    for (size_t c = g.first; span < g.title.size(); c = c == g.last ? g.first : c + 1) {
      ++widths[c];
      ++span;
    }
  }
  return widths;
}

std::string TextTable::Render() const {
  const std::vector<size_t> widths = Widths();
  std::vector<size_t> offsets(widths.size(), 0);
  for (size_t c = 1; c < widths.size(); ++c) offsets[c] = offsets[c - 1] + widths[c - 1] + kGap;

  std::string out;
  std::string line;
  if (!groups_.empty()) {
    for (const Group& g : groups_) {
      const size_t span = offsets[g.last] + widths[g.last] - offsets[g.first];
      const size_t at = offsets[g.first] + (span - g.title.size()) / 2;
      if (line.size() < at) line.resize(at, ' ');
      if (!line.empty() && line.back() != ' ') line += ' ';
      line += g.title;
    }
    EndLine(&line, &out);
  }
  for (const auto& row : rows_) {
    for (size_t c = 0; c < row.size(); ++c) {
      const std::string pad(widths[c] - row[c].size(), ' ');
      line += align_[c] == Align::kRight ? pad + row[c] : row[c] + pad;
      if (c + 1 < row.size()) line += std::string(kGap, ' ');
    }
    EndLine(&line, &out);
  }
  return out;
}

}  // namespace accuracy
