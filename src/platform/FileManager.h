// The desktop's file manager as the program uses it: open a folder, or show
// an item selected in its folder.
#pragma once

#include <string>

namespace volcatra {

struct FileManagerRequest {
    std::string path;         // local path of the folder or the item
    bool selectItem = false;  // show the item selected in its folder, else open the folder
    // The variant with a folder tree pane. File managers offer no standard
    // way to ask for one: it makes the same call.
    bool folderTree = false;
};

class IFileManager {
public:
    virtual ~IFileManager() = default;
    // Starts the request and returns at once; the outcome is not reported.
    virtual void Show(const FileManagerRequest& request) = 0;
};

}  // namespace volcatra
