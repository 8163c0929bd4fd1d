#include "engine/command_line.h"

#include "platform/text_codepage.h"

namespace {

constexpr char kEncoderName[] = "quorlind.exe";
constexpr char kDesktopDevice[] = "screen-capture-recorder";
constexpr char kKeyframeText[] = "-x264opts keyint=50:min-keyint=20";

bool Contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

}  // namespace

std::string QuotedValue(const std::string& value) {
  // The encoder splits its command line the way the C runtime does: 2n backslashes before a
  // double quote stand for n backslashes and the quote ends the argument; 2n+1 stand for n
  // backslashes and a literal quote. Backslashes anywhere else are literal. A lead byte of
  // the code page takes the next byte along, so a trail byte is never a quote or backslash.
  std::string quoted = "\"";
  size_t pending_backslashes = 0;
  for (size_t i = 0; i < value.size(); ++i) {
    unsigned char byte = static_cast<unsigned char>(value[i]);
    if (platform::IsAnsiLeadByte(byte)) {
      if (i + 1 < value.size()) {
        quoted.append(value, i, 2);
        ++i;
        pending_backslashes = 0;
        continue;
      }
      // A lead byte that ends the value is half a character; left as it is, it would take
      // the closing quote along. It becomes the default character, as a conversion makes it.
      byte = '?';
    }
    if (byte == '\\') {
      ++pending_backslashes;
    } else if (byte == '"') {
      quoted.append(pending_backslashes + 1, '\\');
      pending_backslashes = 0;
    } else {
      pending_backslashes = 0;
    }
    quoted.push_back(static_cast<char>(byte));
  }
  quoted.append(pending_backslashes, '\\');
  quoted.push_back('"');
  return quoted;
}

std::string BuildOutputArguments(const std::string& output, int32_t keyframe_option) {
  const std::string keyframe_text = keyframe_option == 1 ? kKeyframeText : "";
  if (Contains(output, "udp:") || Contains(output, ".ts")) {
    return "-f mpegts " + keyframe_text + " " + QuotedValue(output);
  }
  if (Contains(output, "rtmp:")) return "-f flv " + keyframe_text + " " + QuotedValue(output);
  return QuotedValue(output);
}

std::string BuildCaptureCommand(const std::string& output, const char* audio_device, int32_t frame_rate, int32_t width,
                                int32_t height, int32_t video_bitrate, int32_t audio_bitrate, int32_t keyframe_option) {
  if (frame_rate < 1) frame_rate = 25;
  const std::string rate = std::to_string(frame_rate);

  std::string input = std::string("-f dshow -i video=") + QuotedValue(kDesktopDevice);
  if (audio_device != nullptr) input += ":audio=" + QuotedValue(audio_device) + " -acodec aac";

  std::string command = std::string(kEncoderName) + " -y -rtbufsize 100M -framerate " + rate + " " + input +
                        " -pix_fmt yuv420p -vcodec libx264 -r " + rate + " -threads 0 -preset veryfast ";
  if (width > 0 && height > 0) command += " -s " + std::to_string(width) + "x" + std::to_string(height) + " ";
  if (video_bitrate > 0) command += " -b:v " + std::to_string(video_bitrate) + "k ";
  if (audio_device != nullptr && audio_bitrate > 0) command += " -b:a " + std::to_string(audio_bitrate) + "k ";
  return command + " " + BuildOutputArguments(output, keyframe_option);
}

std::string BuildRemuxCommand(const std::string& recording_file, const std::string& final_file) {
  return std::string(kEncoderName) + " -y -i " + QuotedValue(recording_file) + " -c:v copy -c:a copy " +
         QuotedValue(final_file);
}
