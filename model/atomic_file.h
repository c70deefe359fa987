// Writing a file whole or not at all, so that a failed save never leaves a
// half-written file where a good one was.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

// Lets `write` fill a temporary file in the target's folder and renames it
// over the target only when everything was written (`write` returning false
// counts as a failure); an existing file is otherwise left untouched.  The
// new file keeps the mode of the one it replaces.  A symbolic link is
// followed: its target gets the new content and the link stays.  Returns
// false and fills `error` on failure.
bool WriteFileAtomically(const std::string& path, const std::function<bool(std::FILE*)>& write,
                         std::string& error);
