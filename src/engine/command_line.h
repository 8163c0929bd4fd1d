#pragma once
// The encoder's command lines: the capture run (screen and sound into a file or a live
// stream) and the copy run (transport stream into the final file). All texts are ANSI
// (code page 936) bytes, inserted verbatim.
#include <cstdint>
#include <string>

// audio_device: nullptr records no sound.
std::string BuildCaptureCommand(const std::string& output, const char* audio_device, int32_t frame_rate, int32_t width,
                                int32_t height, int32_t video_bitrate, int32_t audio_bitrate, int32_t keyframe_option);
std::string BuildOutputArguments(const std::string& output, int32_t keyframe_option);
std::string BuildRemuxCommand(const std::string& recording_file, const std::string& final_file);
