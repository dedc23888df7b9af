#include "reading/ReadPath.h"

#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace volcatra {

std::string NormalizeReadPath(std::string_view text, std::string_view currentFolder, std::string_view home) {
    if (text.empty()) return {};
    std::string joined;
    if (text == "~" || text.substr(0, 2) == "~/") {
        joined = std::string(home) + "/" + std::string(text.substr(1));
    } else if (text[0] == '/') {
        joined = text;
    } else {
        joined = std::string(currentFolder) + "/" + std::string(text);
    }
    std::vector<std::string_view> parts;
    const std::string_view all = joined;
    size_t i = 0;
    while (i < all.size()) {
        while (i < all.size() && all[i] == '/') ++i;
        const size_t start = i;
        while (i < all.size() && all[i] != '/') ++i;
        const std::string_view part = all.substr(start, i - start);
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    if (parts.empty()) return "/";
    std::string out;
    for (const std::string_view part : parts) {
        out += '/';
        out += part;
    }
    return out;
}

std::string NormalizeReadPath(std::string_view text) {
    std::string current;
    if (const std::unique_ptr<char, decltype(&std::free)> cwd(::getcwd(nullptr, 0), &std::free); cwd)
        current = cwd.get();
    if (current.empty()) current = "/";
    const char* home = std::getenv("HOME");
    return NormalizeReadPath(text, current, home && *home ? home : "/");
}

}  // namespace volcatra
