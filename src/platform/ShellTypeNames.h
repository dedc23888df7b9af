// Type names of files and folders from the shared MIME database
// (shared-mime-info), looked up by the name's pattern only: no file is
// opened or examined, as the names come from catalogues of media that are
// usually not present.
#pragma once

#include <memory>
#include <string>

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
    // folder; empty when no pattern matches. Not safe for concurrent use:
    // descriptions are remembered per type.
    std::u16string GetTypeName(const std::u16string& name, bool folder) const override;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace volcatra
