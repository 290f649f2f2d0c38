#pragma once
#include <string>

#include "media/media_facts.h"

namespace clipvane {

// What the file-information dialog (Form3) shows of a probed video: its sound and
// subtitle tracks, numbered as the options and the encoder count them, with their
// languages, formats and titles, then MediaInfo's whole report. CR LF after every line.
std::string FileInformationText(const MediaFacts& facts);

}  // namespace clipvane
