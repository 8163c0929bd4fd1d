#include "controls/strip_frames.h"

FrameSize FrameSizeOfStrip(int strip_width, int strip_height) { return {strip_width / 3, strip_height}; }

StripFrame ChooseFrame(bool pressed, bool hover) {
  if (pressed) return StripFrame::kPressed;
  return hover ? StripFrame::kHover : StripFrame::kNormal;
}

int FrameLeft(StripFrame frame, int frame_width) { return static_cast<int>(frame) * frame_width; }
