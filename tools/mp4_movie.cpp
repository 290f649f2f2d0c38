#include "mp4_movie.h"

#include <algorithm>
#include <fstream>

#include "tool_files.h"

namespace clipvane::tools {
namespace {

// A field of a full box that lies elsewhere in version 1, where times and durations
// are 64 bits wide.
std::uint64_t Field(const std::string& payload, std::size_t version0_at, std::size_t version1_at, bool wide_in_1) {
  if (payload.empty() || payload[0] != 1) return Be32(payload, version0_at);
  return wide_in_1 ? Be64(payload, version1_at) : Be32(payload, version1_at);
}

// The boxes of a track that name a table of the sample table, or nullptr.
const std::string* Table(const Box& stbl, const char* type) {
  const Box* box = stbl.Find(type);
  return box ? &box->payload : nullptr;
}

bool SelfContained(const Box& minf) {
  const Box* dinf = minf.Find("dinf");
  if (!dinf) return false;
  const auto inner = ParseBoxes(dinf->payload);
  if (!inner || inner->empty() || (*inner)[0].type != "dref") return false;
  const std::string& dref = (*inner)[0].payload;
  if (dref.size() < 8 || Be32(dref, 4) != 1) return false;
  const auto entries = ParseBoxes(dref.substr(8));
  return entries && entries->size() == 1 && (*entries)[0].payload.size() >= 4 && ((*entries)[0].payload[3] & 1);
}

// The samples of one track from its tables; false when they do not add up.
bool ReadSamples(Mp4Track& track, const Box& stbl, std::uint64_t file_size) {
  const std::string* stsz = Table(stbl, "stsz");
  const std::string* stsc = Table(stbl, "stsc");
  const std::string* stts = Table(stbl, "stts");
  const std::string* stco = Table(stbl, "stco");
  const std::string* co64 = Table(stbl, "co64");
  if (!stsz || !stsc || !stts || (!stco == !co64) || stsz->size() < 12 || stsc->size() < 8 || stts->size() < 8) return false;
  const std::string& offsets = stco ? *stco : *co64;
  const std::size_t offset_width = stco ? 4 : 8;
  if (offsets.size() < 8) return false;
  const std::uint32_t uniform_size = Be32(*stsz, 4), count = Be32(*stsz, 8);
  const std::uint32_t chunks = Be32(offsets, 4), runs = Be32(*stsc, 4);
  if ((uniform_size == 0 && stsz->size() < 12 + std::size_t{count} * 4) ||
      offsets.size() < 8 + std::size_t{chunks} * offset_width || stsc->size() < 8 + std::size_t{runs} * 12) {
    return false;
  }
  for (std::uint32_t run = 0; run < runs; ++run) {
    const std::size_t at = 8 + std::size_t{run} * 12;
    const std::uint32_t first_chunk = Be32(*stsc, at), per_chunk = Be32(*stsc, at + 4);
    const std::uint32_t next_chunk = run + 1 < runs ? Be32(*stsc, at + 12) : chunks + 1;
    const std::uint32_t description = Be32(*stsc, at + 8);
    if (run == 0) track.description_index = description;
    // One description for the whole track keeps the rebuilt layout simple.
    if (description != track.description_index || first_chunk == 0 || next_chunk <= first_chunk ||
        next_chunk > chunks + 1) {
      return false;
    }
    for (std::uint32_t chunk = first_chunk; chunk < next_chunk; ++chunk) {
      const std::size_t entry = 8 + std::size_t{chunk - 1} * offset_width;
      std::uint64_t offset = stco ? Be32(offsets, entry) : Be64(offsets, entry);
      for (std::uint32_t i = 0; i < per_chunk; ++i) {
        const std::size_t number = track.samples.size();
        if (number >= count) return false;
        const std::uint32_t size = uniform_size ? uniform_size : Be32(*stsz, 12 + number * 4);
        if (offset + size > file_size) return false;
        track.samples.push_back({0, offset, size});
        offset += size;
      }
    }
  }
  std::uint64_t time = 0;
  const std::uint32_t entries = Be32(*stts, 4);
  if (stts->size() < 8 + std::size_t{entries} * 8) return false;
  for (std::uint32_t entry = 0; entry < entries; ++entry) {
    const std::uint32_t samples = Be32(*stts, 8 + entry * 8), delta = Be32(*stts, 12 + entry * 8);
    for (std::uint32_t i = 0; i < samples && track.decode_times.size() < count; ++i, time += delta) {
      track.decode_times.push_back(time);
    }
  }
  return track.samples.size() == count && track.decode_times.size() == count;
}

bool ReadTrack(const Box& trak, std::uint64_t file_size, std::vector<Mp4Track>& tracks) {
  Mp4Track track;
  track.trak = trak;
  const Box* tkhd = track.trak.Find("tkhd");
  Box* mdia = track.trak.Find("mdia");
  const Box* mdhd = mdia ? mdia->Find("mdhd") : nullptr;
  Box* minf = mdia ? mdia->Find("minf") : nullptr;
  Box* stbl = minf ? minf->Find("stbl") : nullptr;
  if (!tkhd || !mdhd || !stbl || tkhd->payload.size() < 32 || mdhd->payload.size() < 24 || !SelfContained(*minf) ||
      !ReadSamples(track, *stbl, file_size)) {
    return false;
  }
  track.id = static_cast<std::uint32_t>(Field(tkhd->payload, 12, 20, false));
  track.movie_duration = Field(tkhd->payload, 20, 28, true);
  track.timescale = static_cast<std::uint32_t>(Field(mdhd->payload, 12, 20, false));
  // The writer lays the chunks out anew.
  for (const char* layout : {"stsc", "stco", "co64"}) stbl->Remove(layout);
  if (track.timescale == 0) return false;
  tracks.push_back(std::move(track));
  return true;
}

}  // namespace

Mp4Movie EmptyMovie() {
  Mp4Movie movie;
  movie.ftyp = Box::Leaf("ftyp", Bytes().Text("isom").U32(0x200).Text("isomiso2mp41").Str()).Serialize();
  Bytes mvhd;
  mvhd.Full(0, 0).U32(0).U32(0).U32(movie.timescale).U32(0).U32(0x00010000).U16(0x0100).Zeros(10);
  mvhd.UnityMatrix().Zeros(24).U32(1);
  movie.mvhd = Box::Leaf("mvhd", mvhd.Str());
  return movie;
}

std::optional<Mp4Movie> ReadMp4Movie(const std::string& path, std::string& why_not) {
  std::ifstream in(FsPath(path), std::ios::binary);
  in.seekg(0, std::ios::end);
  const auto file_size = static_cast<std::uint64_t>(in.tellg());
  Mp4Movie movie;
  std::string moov;
  for (std::uint64_t at = 0; in && at + 8 <= file_size;) {
    std::string header(16, '\0');
    in.seekg(static_cast<std::streamoff>(at));
    in.read(header.data(), 8);
    std::uint64_t size = Be32(header, 0);
    const std::string type = header.substr(4, 4);
    if (size == 1) {
      in.read(header.data() + 8, 8);
      size = Be64(header, 8);
    } else if (size == 0) {
      size = file_size - at;
    }
    if (!in || size < 8 || size > file_size - at) break;
    if (type == "ftyp" || type == "moov") {
      std::string box(static_cast<std::size_t>(size), '\0');
      in.seekg(static_cast<std::streamoff>(at));
      in.read(box.data(), static_cast<std::streamsize>(size));
      (type == "ftyp" ? movie.ftyp : moov) = box;
    } else if (type != "mdat" && type != "free" && type != "skip" && type != "wide") {
      why_not = "a '" + type + "' box at the top of the file";
      return std::nullopt;
    }
    at += size;
  }
  const auto top = ParseBoxes(moov);
  if (moov.empty() || !top || top->size() != 1 || movie.ftyp.empty()) {
    why_not = "no movie box";
    return std::nullopt;
  }
  for (const Box& box : top->front().children) {
    if (box.type == "mvex") {
      why_not = "a fragmented movie";
      return std::nullopt;
    }
    if (box.type == "mvhd" && box.payload.size() >= 100) {
      movie.mvhd = box;
      movie.timescale = static_cast<std::uint32_t>(Field(box.payload, 12, 20, false));
    } else if (box.type != "trak") {
      movie.other_boxes.push_back(box);
    } else if (!ReadTrack(box, file_size, movie.tracks)) {
      why_not = "a track whose samples this reader cannot place";
      return std::nullopt;
    }
  }
  if (movie.mvhd.payload.size() < 100 || movie.timescale == 0) {
    why_not = "no movie header";
    return std::nullopt;
  }
  movie.sources.push_back(path);
  return movie;
}

void AddTrack(Mp4Movie& movie, RawTrack raw, const std::string& stream_path) {
  Mp4Track track;
  track.id = 1;
  for (const Mp4Track& other : movie.tracks) track.id = std::max(track.id, other.id + 1);
  track.timescale = raw.timescale;
  const std::uint64_t duration = std::uint64_t{raw.sample_duration} * raw.samples.size();
  const std::uint32_t clock = std::max<std::uint32_t>(1, raw.timescale);
  track.movie_duration = (duration * movie.timescale + clock / 2) / clock;
  const std::size_t source = movie.sources.size();
  movie.sources.push_back(stream_path);
  for (std::size_t i = 0; i < raw.samples.size(); ++i) {
    raw.samples[i].source = source;
    track.decode_times.push_back(i * std::uint64_t{raw.sample_duration});
  }
  track.samples = std::move(raw.samples);

  Bytes tkhd;
  tkhd.Full(0, 3).U32(0).U32(0).U32(track.id).U32(0).U32(static_cast<std::uint32_t>(track.movie_duration));
  tkhd.Zeros(8).U16(0).U16(raw.video ? 0 : 1).U16(raw.video ? 0 : 0x0100).U16(0).UnityMatrix();
  tkhd.U32(raw.display_width << 16).U32(raw.display_height << 16);
  const Box mdhd = Box::FullLeaf("mdhd", 0, 0, Bytes().U32(0).U32(0).U32(raw.timescale).U32(static_cast<std::uint32_t>(duration))
                                              .U16(0x55C4).U16(0).Str());  // language: undetermined
  const std::string handler = raw.video ? "VideoHandler" : "SoundHandler";
  const Box hdlr = Box::FullLeaf("hdlr", 0, 0, Bytes().U32(0).Text(raw.video ? "vide" : "soun").Zeros(12).Text(handler).U8(0).Str());
  const Box media_header = raw.video ? Box::FullLeaf("vmhd", 0, 1, Bytes().Zeros(8).Str()) : Box::FullLeaf("smhd", 0, 0, Bytes().Zeros(4).Str());
  const Box url = Box::FullLeaf("url ", 0, 1, "");
  const Box dref = Box::FullLeaf("dref", 0, 0, Bytes().U32(1).Str() + url.Serialize());
  std::vector<Box> tables{Box::FullLeaf("stsd", 0, 0, Bytes().U32(1).Str() + raw.sample_entry.Serialize()),
                          Box::FullLeaf("stts", 0, 0, Bytes().U32(1).U32(static_cast<std::uint32_t>(track.samples.size()))
                                                    .U32(raw.sample_duration).Str())};
  if (!raw.sync_samples.empty()) {
    Bytes stss;
    stss.U32(static_cast<std::uint32_t>(raw.sync_samples.size()));
    for (std::uint32_t number : raw.sync_samples) stss.U32(number);
    tables.push_back(Box::FullLeaf("stss", 0, 0, stss.Str()));
  }
  Bytes stsz;
  stsz.U32(0).U32(static_cast<std::uint32_t>(track.samples.size()));
  for (const SampleSpan& sample : track.samples) stsz.U32(sample.size);
  tables.push_back(Box::FullLeaf("stsz", 0, 0, stsz.Str()));
  track.trak = Box::Container(
      "trak", {Box::Leaf("tkhd", tkhd.Str()),
               Box::Container("mdia", {mdhd, hdlr,
                                       Box::Container("minf", {media_header, Box::Leaf("dinf", dref.Serialize()),
                                                               Box::Container("stbl", std::move(tables))})})});
  movie.tracks.push_back(std::move(track));
}

}  // namespace clipvane::tools
