#pragma once
#include <array>
#include <vector>

namespace clipvane {

// The devices the options dialog offers, by their `platform` number in MP4.ini, which
// is also their place in the dialog's list and in Devices(). Each is described once,
// in devices.cpp; everything else reads its descriptor.
enum class Device { kTouch = 0, kNano = 1, kPhone = 2 };

// cbQulity's items, by their `qulity` number; any other number counts as low.
enum class Quality { kGood = 0, kNormal = 1, kLow = 2 };

// The encoder of a job's picture.
enum class VideoCodec { kLavcMpeg4, kXvid, kX264 };

// What a device gets at one quality.
struct DeviceRate {
  VideoCodec videocodec;
  int videobitrate;        // kbit/s; 0 where the rate factor decides
  int ratefactor;          // x264's constant rate factor; 0 where the bitrate decides
  const char* x264preset;  // x264's speed preset; "" for the other codecs
  double maxfps;
  int audiobitrate;  // kbit/s of AAC
};

// The H.264 stream a device plays: profile, level (10 times the number) and the
// buffer the level allows. Empty for a device of MPEG-4 part 2.
struct H264Limits {
  const char* profile;
  int level;
  int vbv_maxrate;  // kbit/s
  int vbv_bufsize;  // kbit
};

struct DeviceDescriptor {
  Device device;                  // its number in MP4.ini
  const char* item;               // the device list's item, in UTF-8
  const char* english;            // its name on the command line
  int frame_width, frame_height;  // the landscape frame

  // Framed: the four screen fits and the 4:3 box apply, and a portrait picture is
  // turned into the landscape frame. Otherwise the whole picture keeps its shape within
  // the frame, stood upright for a portrait picture, which the device turns itself.
  bool framed;
  int wide_frame_width;    // the 640 fit's frame width; 0 where the device lacks that fit
  int wide_frame_bitrate;  // what the wide frame adds to the video bitrate, kbit/s
  bool pads_to_frame;      // borders fill the whole landscape frame, not only the picture

  std::array<DeviceRate, 3> rates;  // by Quality: good, normal, low
  H264Limits h264;
  const char* rawvideoext;  // the raw picture stream's extension between the encoder and the MP4

  // The coloured route's subtitle sizes (the plain route's are the same for every device).
  std::array<int, 8> colour_sizes;
  // Subtitles sized as on 320 lines spanning the picture's shorter side, whatever its
  // size: the outline of plain subtitles and the coloured script's height follow it.
  bool sized_by_shorter_side;
};

// Every device, in the device list's order.
const std::vector<DeviceDescriptor>& Devices();

const DeviceDescriptor& DescriptorOf(Device device);
// The device a list choice stands for: any number the list does not offer (-1 for none)
// counts as nano/Classic, as MP4.ini's readers always took it.
const DeviceDescriptor& DescriptorForChoice(int platform_choice);

}  // namespace clipvane
