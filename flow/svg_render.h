// Renders an SVG picture to PNG bytes without a display (librsvg on cairo),
// so that the batch tool's PNG is exactly its SVG picture.
#pragma once

#include <string>

// False, with `error` in words, when the SVG cannot be read or rendered.
bool RenderSvgToPng(const std::string& svg, std::string& png, std::string& error);
