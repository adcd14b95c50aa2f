// A plain-text table: every column as wide as its widest cell, numbers right-aligned and words
// left-aligned, with optional titles centred over groups of columns.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace accuracy {

class TextTable {
 public:
  enum class Align { kLeft, kRight };

  explicit TextTable(std::vector<Align> columns) : align_(std::move(columns)) {}

  // A title on a line of its own above columns first to last.
  void AddGroup(size_t first, size_t last, std::string title);
  // Missing cells are blank, extra ones dropped.
  void AddRow(std::vector<std::string> cells);
  // Each line ends in a line feed and carries no trailing blanks.
  std::string Render() const;

 private:
  struct Group {
    size_t first;
    size_t last;
    std::string title;
  };

  std::vector<size_t> Widths() const;

  std::vector<Align> align_;
  std::vector<Group> groups_;
  std::vector<std::vector<std::string>> rows_;
};

}  // namespace accuracy
