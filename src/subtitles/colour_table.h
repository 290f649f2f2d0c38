#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace clipvane {

// The colour names that SAMI font tags may use, with their 0xRRGGBB values. The program
// object builds one at start-up and hands it to the subtitle conversion; it is only read
// after that.
class ColourTable {
 public:
  // Adds the 109 known names and sorts them by name.
  ColourTable();

  // The index of the pair whose name equals `name` (ASCII letter case ignored).
  std::optional<std::size_t> IndexOf(const std::string& name) const;

  const std::string& NameAt(std::size_t index) const { return pairs_[index].name; }
  std::uint32_t ValueAt(std::size_t index) const { return pairs_[index].value; }
  std::size_t Size() const { return pairs_.size(); }

 private:
  struct Pair {
    std::string name;
    std::uint32_t value;
  };
  std::vector<Pair> pairs_;
};

}  // namespace clipvane
