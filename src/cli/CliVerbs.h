// The verbs of volcatra-cli and the helpers they share.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "cli/CliCommands.h"
#include "model/CatalogueError.h"

namespace volcatra {

using CliArgs = std::vector<std::string>;

// One verb: its name, its --help text and what runs it. Every verb lives in
// a file of its own and is listed in CliCommands.cpp.
struct CliVerb {
    const char* m_name;
    const char* m_help;
    int (*m_run)(const CliArgs& args, std::ostream& out, std::ostream& err);
};

extern const CliVerb kInfoVerb;        // CatalogueVerbs.cpp
extern const CliVerb kDumpVerb;        // CatalogueVerbs.cpp
extern const CliVerb kExportVerb;      // CatalogueVerbs.cpp
extern const CliVerb kReadVerb;        // ReadVerb.cpp
extern const CliVerb kSearchVerb;      // SearchVerb.cpp
extern const CliVerb kVolumesVerb;     // VolumeVerbs.cpp
extern const CliVerb kRenameVerb;      // VolumeVerbs.cpp
extern const CliVerb kCommentVerb;     // VolumeVerbs.cpp
extern const CliVerb kRemoveVerb;      // VolumeVerbs.cpp
extern const CliVerb kMoveVolumeVerb;  // VolumeVerbs.cpp
extern const CliVerb kCopyVolumeVerb;  // VolumeVerbs.cpp
extern const CliVerb kLocateVerb;      // LocateVerb.cpp

// UTF-8 for the terminal; file-name bytes held as lone surrogates come back
// as the bytes they were.
std::string Utf8(const std::u16string& text);

// A time as local "%Y/%m/%d %H:%M:%S"; empty for 0 (no time).
std::string LocalTimeText(int64_t time);

// Reports a catalogue failure in the system's own words and returns the exit
// status; `saving` selects the text of a general failure.
int ReportFailure(const CatalogueError& e, bool saving, std::ostream& err);

// Prints a verb's help to err and returns the usage-error status.
int Usage(std::ostream& err, const char* help);

// The extension of a path from its last dot, in ASCII lower case; empty
// when the last path component has no dot.
std::string LowerExtension(const std::string& path);

}  // namespace volcatra
