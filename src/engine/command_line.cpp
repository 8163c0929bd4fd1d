// Interim copy of the command-line builders so that the recording workflow builds on its
// own; the encoder branch's version of this file replaces it when both land.
#include "engine/command_line.h"

namespace {
const char kEncoder[] = "quorlind.exe";
const char kDesktopDevice[] = "screen-capture-recorder";
}  // namespace

std::string BuildCaptureCommand(const std::string& output, const char* audio_device, int32_t frame_rate, int32_t width,
                                int32_t height, int32_t video_bitrate, int32_t audio_bitrate, int32_t keyframe_option) {
  if (frame_rate < 1) frame_rate = 25;
  const std::string rate = std::to_string(frame_rate);
  std::string input = std::string("-f dshow -i video=\"") + kDesktopDevice + "\"";
  if (audio_device) input += std::string(":audio=\"") + audio_device + "\" -acodec aac";
  std::string command = std::string(kEncoder) + " -y -rtbufsize 100M -framerate " + rate + " " + input +
                        " -pix_fmt yuv420p -vcodec libx264 -r " + rate + " -threads 0 -preset veryfast ";
  if (width > 0 && height > 0) command += " -s " + std::to_string(width) + "x" + std::to_string(height) + " ";
  if (video_bitrate > 0) command += " -b:v " + std::to_string(video_bitrate) + "k ";
  if (audio_device && audio_bitrate > 0) command += " -b:a " + std::to_string(audio_bitrate) + "k ";
  return command + " " + BuildOutputArguments(output, keyframe_option);
}

std::string BuildOutputArguments(const std::string& output, int32_t keyframe_option) {
  const std::string keyframes = keyframe_option == 1 ? "-x264opts keyint=50:min-keyint=20" : "";
  const std::string quoted = "\"" + output + "\"";
  if (output.find("udp:") != std::string::npos || output.find(".ts") != std::string::npos)
    return "-f mpegts " + keyframes + " " + quoted;
  if (output.find("rtmp:") != std::string::npos) return "-f flv " + keyframes + " " + quoted;
  return quoted;
}

std::string BuildRemuxCommand(const std::string& recording_file, const std::string& final_file) {
  return std::string(kEncoder) + " -y -i \"" + recording_file + "\" -c:v copy -c:a copy \"" + final_file + "\"";
}
