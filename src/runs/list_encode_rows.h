#pragma once
#include "runs/encode_commands.h"

namespace clipvane {

class MediaProbe;
class VideoList;

// The video list as the encode commands see it: rows, selection, and entries probed
// on first need.
class ListEncodeRows : public EncodeRows {
 public:
  ListEncodeRows(VideoList& list, MediaProbe& probe) : list_(list), probe_(probe) {}
  std::size_t RowCount() const override;
  bool IsSelected(std::size_t row) const override;
  std::string Path(std::size_t row) const override;
  JobTarget Target(std::size_t row) const override;
  std::string ProbedPath(std::size_t row, MediaFacts& facts, const Progress& progress) override;

 private:
  VideoList& list_;
  MediaProbe& probe_;
};

}  // namespace clipvane
