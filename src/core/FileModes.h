#pragma once
// The permissions of files that are written through a temporary file and then renamed into
// place. A temporary file starts readable by its owner only; the file it becomes must look like
// any other file the user's programs write.

#include <string>

namespace brae {

// Gives the temporary file the mode of the file it is about to replace, or, when there is none,
// the mode a newly created file gets (0666 less the umask). False when it cannot be set.
bool GiveReplacingFileMode(const std::string& temp_path, const std::string& target_path);

}  // namespace brae
