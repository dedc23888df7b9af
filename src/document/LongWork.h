// Work that may take a while, such as writing or reading a large catalogue.
#pragma once

#include <functional>
#include <string>

namespace volcatra {

// Runs work and returns when it is done, keeping the windows alive
// meanwhile: the program runs it on a worker thread while the user-interface
// thread shows the wait cursor and a progress dialog with the text (at once,
// or once the work has taken about half a second) and holds the user's input
// back until the work is done, so that nothing changes the document the work
// reads. An exception thrown by the work is thrown again by Run.
class ILongWorkRunner {
public:
    virtual ~ILongWorkRunner() = default;
    virtual void Run(const std::u16string& text, bool showAtOnce, const std::function<void()>& work) = 0;
};

}  // namespace volcatra
