// PNG files and streams of RGB pictures, written with cairo.
#pragma once

#include <string>
#include <vector>

#include "flow/colour_map.h"

// Encodes width × height pixels, top row first, as PNG bytes; false when
// the picture is empty or cairo fails.
bool EncodePng(const std::vector<Rgb>& topFirst, int width, int height, std::string& png);
// Writes the same to a file; false (with `error` in words) when it cannot.
bool WritePngFile(const std::string& path, const std::vector<Rgb>& topFirst, int width, int height,
                  std::string& error);
