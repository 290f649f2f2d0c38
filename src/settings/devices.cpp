#include "settings/devices.h"

namespace clipvane {

const std::vector<DeviceDescriptor>& Devices() {
  // The MPEG-4 players' rates: Xvid at its best, lavc's MPEG-4 otherwise, the frame
  // rate and the sound lowered with the quality.
  static const std::vector<DeviceDescriptor> devices{
      {Device::kTouch,
       u8"iPod touch와 iPhone",
       "iPod touch and iPhone",
       /*frame=*/480,
       320,
       /*framed=*/true,
       /*wide_frame=*/640,
       210,
       /*pads_to_frame=*/false,
       {{{VideoCodec::kXvid, 900, 0, "", 29.0, 192},
         {VideoCodec::kLavcMpeg4, 700, 0, "", 25.0, 192},
         {VideoCodec::kLavcMpeg4, 500, 0, "", 23.0, 64}}},
       /*h264=*/{"", 0, 0, 0},
       ".m4v",
       /*colour_sizes=*/{12, 14, 16, 18, 20, 22, 24, 26},
       /*sized_by_shorter_side=*/false},
      {Device::kNano,
       u8"iPod nano와 iPod Classic",
       "iPod nano and Classic",
       /*frame=*/320,
       240,
       /*framed=*/true,
       /*wide_frame=*/0,
       0,
       /*pads_to_frame=*/true,
       {{{VideoCodec::kXvid, 700, 0, "", 29.0, 192},
         {VideoCodec::kLavcMpeg4, 500, 0, "", 25.0, 192},
         {VideoCodec::kLavcMpeg4, 300, 0, "", 23.0, 64}}},
       /*h264=*/{"", 0, 0, 0},
       ".m4v",
       /*colour_sizes=*/{6, 8, 10, 12, 14, 16, 18, 20},
       /*sized_by_shorter_side=*/false},
      // Today's phones: H.264 by rate factor within 1280x720, a slower x264 preset for
      // a better picture. Level 4.0 takes 1280x720 up to 60 frames a second; the buffer
      // is the most the level allows a High profile stream, so every phone that plays
      // the level plays it. Its subtitles are sized as on the touch's 320 lines.
      {Device::kPhone,
       u8"휴대폰 (H.264)",
       "phone, H.264",
       /*frame=*/1280,
       720,
       /*framed=*/false,
       /*wide_frame=*/0,
       0,
       /*pads_to_frame=*/false,
       {{{VideoCodec::kX264, 0, 20, "medium", 60.0, 160},
         {VideoCodec::kX264, 0, 23, "fast", 60.0, 160},
         {VideoCodec::kX264, 0, 26, "veryfast", 60.0, 160}}},
       /*h264=*/{"high", 40, 25000, 31250},
       ".264",
       /*colour_sizes=*/{12, 14, 16, 18, 20, 22, 24, 26},
       /*sized_by_shorter_side=*/true},
  };
  return devices;
}

const DeviceDescriptor& DescriptorOf(Device device) { return Devices()[static_cast<std::size_t>(device)]; }

const DeviceDescriptor& DescriptorForChoice(int platform_choice) {
  const bool listed = platform_choice >= 0 && platform_choice < static_cast<int>(Devices().size());
  return listed ? Devices()[static_cast<std::size_t>(platform_choice)] : DescriptorOf(Device::kNano);
}

}  // namespace clipvane
