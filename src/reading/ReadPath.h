// How the read dialog and the command line name the folder to read: one
// normalised absolute path, so that both roads record a folder the same way
// and a later read of the same folder recognises the volume recorded before.
#pragma once

#include <string>
#include <string_view>

namespace volcatra {

// The absolute, normalised form of a path the user typed or chose: empty
// stays empty; "~" and "~/..." start at home; a relative path is taken
// from currentFolder; repeated and trailing slashes go; "." and ".." are
// resolved lexically ("/.." is "/"). Symbolic links are not resolved, so
// the name the user gave stays the name recorded.
std::string NormalizeReadPath(std::string_view text, std::string_view currentFolder, std::string_view home);

// The same with the process's current folder and $HOME.
std::string NormalizeReadPath(std::string_view text);

}  // namespace volcatra
