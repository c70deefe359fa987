// Reading and writing drawing files (*.dat): one record per entity, a kind
// line and a data line, from the back of the drawing to the front.
// The drawing's own storage: no window is needed, so the batch tool uses it too.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

class EntityList;

struct ReadReport {
  bool complete = true;   // every record read, and nothing but blanks after the last
  int linesRead = 0;      // lines added to the drawing
  int stopRecord = 0;     // 1-based record where reading stopped early
  std::string reason;     // why it stopped early; empty when complete

  // "parou no registro R: <reason>; linhas lidas: N", for messages.
  std::string StopSummary() const;
};

// A word of a file as a message shows it: `o texto "..."`, cut short, or
// "dados binários" when it is not printable text.
std::string ShownWord(const std::string& word);

// Writes every entity of the list from the tail to the head.  Returns false
// on a write error.
bool WriteDrawing(std::FILE* file, const EntityList& entities);

// The text a real is written as: "%g" with the fewest significant digits,
// at least six, that read back as the same double ("4", "3.5", "10",
// "4100008.75", "1e-05").
std::string RealText(double value);

// Opens a regular file for reading; anything else (a pipe, a device, a
// folder) is refused at once, without waiting on it.  Null with the reason,
// in Portuguese or from the system, when the file cannot be read.
std::FILE* OpenRegularFile(const std::string& path, std::string& error);

// Reads the records of the file at `path` as walls of the given width, then
// replaces the entities of `into` with them (each inserted at the front).
// Reading stops early, keeping the records before, at anything that is not
// a complete record; only blanks may follow the last one, and a word is a
// number only when all of it, NUL bytes included, reads as one.  Returns
// false and fills `error`, leaving `into` as it was, when the file cannot
// be opened or read or is not a regular file (a folder, a pipe or a device
// is refused at once, without waiting on it); a read that stopped early
// returns true with the report saying so.
bool LoadDrawingFile(const std::string& path, double wallWidth, EntityList& into,
                     ReadReport& report, std::string& error);
// Writes to a temporary file in the target's folder and renames it over the
// target only when everything was written; an existing file is otherwise
// left untouched.  A symbolic link is followed: its target gets the drawing
// and the link stays.  Returns false and fills `error` on failure.
bool SaveDrawingFile(const std::string& path, const EntityList& entities, std::string& error);

struct WallSegment;

// Replaces the entities of `into` with lines of the given width along the
// walls, the first wall at the back, as reading a drawing file does; the
// lines are black and unselected.
void ReplaceWithWalls(const std::vector<WallSegment>& walls, double wallWidth, EntityList& into);
// The lines of the list from the back to the front, the order a save keeps.
std::vector<WallSegment> WallSegmentsOf(const EntityList& entities);
