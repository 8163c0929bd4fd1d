#pragma once
// A button skin is one bitmap holding three frames side by side: normal, pressed, hover.

enum class StripFrame { kNormal = 0, kPressed = 1, kHover = 2 };

struct FrameSize {
  int width = 0;  // strip width / 3; a remainder at the right is never shown
  int height = 0;
};

FrameSize FrameSizeOfStrip(int strip_width, int strip_height);
// Pressed wins over hover; disabled and focus have no look of their own.
StripFrame ChooseFrame(bool pressed, bool hover);
// Left edge of a frame inside the strip.
int FrameLeft(StripFrame frame, int frame_width);
