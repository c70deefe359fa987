// Reading and writing drawing files (*.dat): one record per entity, a kind
// line and a data line, from the back of the drawing to the front.
// The drawing's own storage: no window is needed, so the batch tool uses it too.
#pragma once

#include <cstdio>
#include <string>

struct ReadReport {
  bool complete = true;   // stopped at the normal end (no further kind code)
  int linesRead = 0;      // lines added to the drawing
  int stopRecord = 0;     // 1-based record where reading stopped early
  std::string reason;     // why it stopped early; empty when complete
};

// Reads records into EntityList (each inserted at the front).
ReadReport ReadDrawing(std::FILE* file);
// Writes every entity from the tail to the head.  Returns false on a write error.
bool WriteDrawing(std::FILE* file);

// Opens `path`, empties the drawing and reads it.  Returns false and fills
// `error` when the file cannot be opened; a read that stopped early returns
// true with the report saying so.
bool LoadDrawingFile(const std::string& path, ReadReport& report, std::string& error);
// Writes to a temporary file in the target's folder and renames it over the
// target only when everything was written; an existing file is otherwise
// left untouched.  Returns false and fills `error` on failure.
bool SaveDrawingFile(const std::string& path, std::string& error);
