#pragma once

// The About box's clip: a red and grey wire-frame model of the console on
// its stand, filmed by a camera that swings close around and through it on
// a closed path. Plain C++.

#include "Rle8Encoder.h"

#include <string>

constexpr int kClipWidth = 80;
constexpr int kClipHeight = 60;
constexpr int kClipFrames = 33;
constexpr std::uint32_t kClipMicroSecPerFrame = 66667;

// All frames with their palette: index 0 black, 1-127 a ramp of reds,
// 128-255 a ramp of greys, each from dark to full brightness.
AviClipData MakeConsoleClip();

// Writes the clip as an RLE8 AVI file; false (and a message on stderr) when
// the file cannot be written.
bool WriteConsoleClip(const std::string& path);
