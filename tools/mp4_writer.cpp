#include <algorithm>
#include <memory>

#include "mp4_movie.h"
#include "tool_files.h"

namespace clipvane::tools {
namespace {

// Consecutive samples of one track stored together.
struct Chunk {
  std::size_t track = 0;
  std::size_t first = 0, count = 0;
  std::uint64_t time = 0;  // the first sample's decoding time, in the track's timescale
};

// Half a second of each track at a time, in the order they play, so that a player
// reading the file front to back finds picture and sound close together.
std::vector<Chunk> Interleave(const Mp4Movie& movie) {
  std::vector<Chunk> chunks;
  for (std::size_t t = 0; t < movie.tracks.size(); ++t) {
    const Mp4Track& track = movie.tracks[t];
    const std::uint64_t span = std::max<std::uint64_t>(1, track.timescale / 2);
    for (std::size_t first = 0; first < track.samples.size();) {
      std::size_t end = first + 1;
      while (end < track.samples.size() && track.decode_times[end] - track.decode_times[first] < span) ++end;
      chunks.push_back({t, first, end - first, track.decode_times[first]});
      first = end;
    }
  }
  std::stable_sort(chunks.begin(), chunks.end(), [&movie](const Chunk& a, const Chunk& b) {
    // Times of two clocks compared without rounding.
    return a.time * movie.tracks[b.track].timescale < b.time * movie.tracks[a.track].timescale;
  });
  return chunks;
}

// The chunk layout of one track: which samples each chunk holds, and where it is.
Box SampleToChunk(const std::vector<std::uint32_t>& counts, std::uint32_t description_index) {
  Bytes runs;
  std::uint32_t entries = 0;
  for (std::size_t i = 0; i < counts.size(); ++i) {
    if (i > 0 && counts[i] == counts[i - 1]) continue;
    runs.U32(static_cast<std::uint32_t>(i + 1)).U32(counts[i]).U32(description_index);
    ++entries;
  }
  return Box::FullLeaf("stsc", 0, 0, Bytes().U32(entries).Str() + runs.Str());
}

Box ChunkOffsets(const std::vector<std::uint64_t>& offsets) {
  const bool wide = !offsets.empty() && offsets.back() > 0xFFFFFFFFu;
  Bytes table;
  table.U32(static_cast<std::uint32_t>(offsets.size()));
  for (std::uint64_t offset : offsets) wide ? table.U64(offset) : table.U32(static_cast<std::uint32_t>(offset));
  return Box::FullLeaf(wide ? "co64" : "stco", 0, 0, table.Str());
}

void PlaceLayout(Mp4Track& track, Box stsc, Box offsets) {
  Box& stbl = *track.trak.Find("mdia")->Find("minf")->Find("stbl");
  auto sizes = std::find_if(stbl.children.begin(), stbl.children.end(), [](const Box& box) { return box.type == "stsz"; });
  sizes = stbl.children.insert(sizes, std::move(stsc)) + 1;
  stbl.children.insert(sizes == stbl.children.end() ? sizes : sizes + 1, std::move(offsets));
}

// The bytes of one sample. Samples mostly follow one another in their source, with
// little between them (a frame header, the other track's chunk), so the source is
// read front to back in blocks and sought only for a jump.
const unsigned char* ReadSpan(BlockReader& source, const SampleSpan& sample) {
  constexpr std::uint64_t kLongestSkip = 1 << 20;
  if (sample.offset < source.Position() || sample.offset - source.Position() > kLongestSkip) {
    source.Seek(sample.offset);
  } else {
    source.Skip(static_cast<std::size_t>(sample.offset - source.Position()));
  }
  std::size_t available = 0;
  const unsigned char* data = source.Peek(sample.size, available);
  return available >= sample.size ? data : nullptr;
}

}  // namespace

bool WriteMp4Movie(Mp4Movie& movie, const std::string& path, std::string& error) {
  const std::vector<Chunk> chunks = Interleave(movie);
  std::uint64_t payload = 0;
  for (const Mp4Track& track : movie.tracks)
    for (const SampleSpan& sample : track.samples) payload += sample.size;

  BlockWriter out(path);
  std::vector<std::unique_ptr<BlockReader>> sources;
  for (const std::string& source : movie.sources) sources.push_back(std::make_unique<BlockReader>(source));
  const std::string mdat = BoxHeader("mdat", payload);
  out.Write(movie.ftyp);
  out.Write(mdat);
  std::uint64_t position = movie.ftyp.size() + mdat.size();

  std::vector<std::vector<std::uint64_t>> offsets(movie.tracks.size());
  std::vector<std::vector<std::uint32_t>> counts(movie.tracks.size());
  for (const Chunk& chunk : chunks) {
    const std::vector<SampleSpan>& samples = movie.tracks[chunk.track].samples;
    offsets[chunk.track].push_back(position);
    counts[chunk.track].push_back(static_cast<std::uint32_t>(chunk.count));
    for (std::size_t i = chunk.first; i < chunk.first + chunk.count; ++i) {
      const unsigned char* data = ReadSpan(*sources[samples[i].source], samples[i]);
      if (!data) {
        error = "cannot read " + movie.sources[samples[i].source];
        return false;
      }
      out.Write(data, samples[i].size);
      position += samples[i].size;
    }
  }

  std::uint64_t duration = 0;
  std::uint32_t next_id = 1;
  std::vector<Box> moov{movie.mvhd};
  for (std::size_t t = 0; t < movie.tracks.size(); ++t) {
    Mp4Track& track = movie.tracks[t];
    PlaceLayout(track, SampleToChunk(counts[t], track.description_index), ChunkOffsets(offsets[t]));
    duration = std::max(duration, track.movie_duration);
    next_id = std::max(next_id, track.id + 1);
    moov.push_back(track.trak);
  }
  std::string& header = moov.front().payload;
  if (header[0] == 1) {
    PutBe64(header, 24, duration);
  } else {
    PutBe32(header, 16, static_cast<std::uint32_t>(std::min<std::uint64_t>(duration, 0xFFFFFFFFu)));
  }
  PutBe32(header, header.size() - 4, next_id);
  moov.insert(moov.end(), movie.other_boxes.begin(), movie.other_boxes.end());
  out.Write(Box::Container("moov", std::move(moov)).Serialize());
  if (!out.Close()) {
    error = "cannot write " + path + ": " + out.Error();
    return false;
  }
  return true;
}

}  // namespace clipvane::tools
