#include "reading/QtIconPass.h"

#include <memory>

#include "reading/IconPass.h"

namespace volcatra {

IconPass MakeQtIconPass(const PreparedIconImages& images) {
    auto source = std::make_shared<CQtIconSource>(images);
    return [source](CRootEntry& root, IReadProgress* progress, IMessageService& messages, const std::string& readPath,
                    const std::string& rootPath) {
        return ReadIcons(root, progress, messages, *source, readPath, rootPath);
    };
}

}  // namespace volcatra
