#include <algorithm>
#include <fstream>

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
  return Box::Leaf("stsc", Bytes().Full(0, 0).U32(entries).Str() + runs.Str());
}

Box ChunkOffsets(const std::vector<std::uint64_t>& offsets) {
  const bool wide = !offsets.empty() && offsets.back() > 0xFFFFFFFFu;
  Bytes table;
  table.Full(0, 0).U32(static_cast<std::uint32_t>(offsets.size()));
  for (std::uint64_t offset : offsets) wide ? table.U64(offset) : table.U32(static_cast<std::uint32_t>(offset));
  return Box::Leaf(wide ? "co64" : "stco", table.Str());
}

void PlaceLayout(Mp4Track& track, Box stsc, Box offsets) {
  Box& stbl = *track.trak.Find("mdia")->Find("minf")->Find("stbl");
  auto sizes = std::find_if(stbl.children.begin(), stbl.children.end(), [](const Box& box) { return box.type == "stsz"; });
  sizes = stbl.children.insert(sizes, std::move(stsc)) + 1;
  stbl.children.insert(sizes == stbl.children.end() ? sizes : sizes + 1, std::move(offsets));
}

}  // namespace

bool WriteMp4Movie(Mp4Movie& movie, const std::string& path, std::string& error) {
  const std::vector<Chunk> chunks = Interleave(movie);
  std::uint64_t payload = 0;
  for (const Mp4Track& track : movie.tracks)
    for (const SampleSpan& sample : track.samples) payload += sample.size;

  std::ofstream out(FsPath(path), std::ios::binary | std::ios::trunc);
  std::vector<std::ifstream> sources;
  for (const std::string& source : movie.sources) sources.emplace_back(FsPath(source), std::ios::binary);
  Bytes mdat;
  if (payload + 8 > 0xFFFFFFFFu) {
    mdat.U32(1).Text("mdat").U64(payload + 16);
  } else {
    mdat.U32(static_cast<std::uint32_t>(payload + 8)).Text("mdat");
  }
  out << movie.ftyp << mdat.Str();
  std::uint64_t position = movie.ftyp.size() + mdat.Str().size();

  std::vector<std::vector<std::uint64_t>> offsets(movie.tracks.size());
  std::vector<std::vector<std::uint32_t>> counts(movie.tracks.size());
  std::string buffer;
  for (const Chunk& chunk : chunks) {
    const std::vector<SampleSpan>& samples = movie.tracks[chunk.track].samples;
    offsets[chunk.track].push_back(position);
    counts[chunk.track].push_back(static_cast<std::uint32_t>(chunk.count));
    // Samples that lie end to end in one source are read in one go.
    for (std::size_t i = chunk.first, end = chunk.first + chunk.count; i < end;) {
      const SampleSpan& first = samples[i];
      std::uint64_t length = first.size;
      for (++i; i < end && samples[i].source == first.source && samples[i].offset == first.offset + length; ++i) {
        length += samples[i].size;
      }
      std::ifstream& in = sources[first.source];
      buffer.resize(static_cast<std::size_t>(length));
      in.seekg(static_cast<std::streamoff>(first.offset));
      if (!in.read(buffer.data(), static_cast<std::streamsize>(length))) {
        error = "cannot read " + movie.sources[first.source];
        return false;
      }
      out.write(buffer.data(), static_cast<std::streamsize>(length));
      position += length;
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
  out << Box::Container("moov", std::move(moov)).Serialize();
  out.close();
  if (!out) {
    error = "cannot write " + path;
    return false;
  }
  return true;
}

}  // namespace clipvane::tools
