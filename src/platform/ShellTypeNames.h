// Type names of files and folders from the shared MIME database
// (shared-mime-info), looked up by the name's pattern only: no file is
// opened or examined, as the names come from catalogues of media that are
// usually not present.
//
// The database takes microseconds per name and searches type hundreds of
// thousands of mostly distinct names ("IMG_4711.JPG"), so answers are shared
// between names the database provably treats alike: its answer depends only
// on which glob patterns match, and a "*.ext" pattern only looks at the part
// of a name from its first dot on. Names are keyed by that part plus the
// exact characters the few other patterns ("README*", "*~") look at; names
// that may match a whole-name or other wildcard pattern ("Makefile",
// "[0-9][0-9][0-9].vdr") are looked up on their own.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "model/TextListing.h"

namespace volcatra {

class CMimeTypeNames final : public IShellTypeNames {
public:
    CMimeTypeNames();
    ~CMimeTypeNames() override;
    CMimeTypeNames(const CMimeTypeNames&) = delete;
    CMimeTypeNames& operator=(const CMimeTypeNames&) = delete;

    // The description of the MIME type the name's pattern gives (the first
    // one, in the database's order, when several patterns match), in the
    // language of the user's locale; the directory type's description for a
    // folder; empty when no pattern matches. Always what the database says
    // for the name itself. Not safe for concurrent use: answers are
    // remembered.
    std::u16string GetTypeName(std::u16string_view name, bool folder) const override;
    // The same without a copy; valid until the next call.
    const std::u16string& TypeNameOf(std::u16string_view name, bool folder) const;

    // Until this many names were looked up in the database, each name is
    // looked up on its own; then the database's patterns are read (about a
    // millisecond from its pattern files, a tenth of a second where only
    // the database itself can list them) and names share answers as
    // described above.
    static constexpr size_t kLookupsBeforeSharing = 64;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace volcatra
