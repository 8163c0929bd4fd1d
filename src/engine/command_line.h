#pragma once
// The encoder's command lines: the capture command (desktop and optional sound device into a
// transport stream file or a live address) and the copy command that turns a finished
// recording into the final file. All texts are bytes in the ANSI code page.
#include <cstdint>
#include <string>

// `audio_device` nullptr: no sound. `frame_rate` below 1 means 25. A width or height of 0 or
// less leaves the captured size; a bitrate of 0 or less leaves the encoder's default.
// `keyframe_option` 1 (exactly) adds the short key-frame interval for live streams.
std::string BuildCaptureCommand(const std::string& output, const char* audio_device, int32_t frame_rate, int32_t width,
                                int32_t height, int32_t video_bitrate, int32_t audio_bitrate, int32_t keyframe_option);

// The output part of the capture command: container chosen from the address or file name.
std::string BuildOutputArguments(const std::string& output, int32_t keyframe_option);

// Copies both streams of `recording_file` into `final_file` without re-encoding.
std::string BuildRemuxCommand(const std::string& recording_file, const std::string& final_file);

// A value as it goes between double quotes, such that the encoder's argument parser gives
// back exactly the value: a double quote inside it, or backslashes before one or at its end,
// are escaped; every other byte stays as it is. Trail bytes of the ANSI code page's double-byte
// characters are never taken for backslashes or quotes; a lead byte that ends the value,
// half a character, becomes "?".
std::string QuotedValue(const std::string& value);
