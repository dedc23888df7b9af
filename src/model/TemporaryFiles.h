// The temporary files a save writes beside its target before renaming them
// over it.
//
// Each is named ".volcatra-save-XXXXXX.tmp" (six letters or digits) and
// carries an open-file-description write lock for as long as its writer
// holds it open. Such a lock ends with the open file itself, however the
// writer ends, and is seen by every process on every machine that shares the
// folder; so a file of that name whose lock can be taken was left behind by
// a writer that is gone, and may be removed.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

namespace volcatra {

inline constexpr char kTemporaryFilePrefix[] = ".volcatra-save-";
inline constexpr char kTemporaryFileSuffix[] = ".tmp";

// A left-behind temporary file younger than this is left alone: its writer
// may have created it an instant ago and not yet taken its lock.
inline constexpr std::chrono::seconds kStaleTemporaryAge{60};

// Whether a file name (without a folder) has the temporaries' pattern.
bool IsTemporaryFileName(std::string_view name);

// Creates a new temporary file in folder (a path ending in '/', or empty for
// the current folder), opened for reading and writing and locked. Returns
// its descriptor and sets path, or -1 with errno set. A file system that
// cannot lock still gets its file, unlocked (nothing will remove it then).
int CreateLockedTemporaryFile(const std::string& folder, std::string& path);

// Removes the temporary files in folder (a path; "." for the current one)
// whose last change lies at least minAge back and whose lock can be taken.
// Whatever cannot be examined stays; nothing here fails. Returns the number
// of files removed.
size_t RemoveStaleTemporaryFiles(const std::string& folder, std::chrono::seconds minAge = kStaleTemporaryAge);

}  // namespace volcatra
