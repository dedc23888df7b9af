#include "document/FileSaveDialog.h"

namespace volcatra {

namespace {

constexpr char16_t kPatternStart[] = u"|*.";

}  // namespace

CFileSaveDialog::CFileSaveDialog(IMessageService& messages, std::u16string title, std::u16string filter,
                                 std::u16string defaultExtension, std::u16string fileName, int typeIndex)
    : m_messages(messages),
      m_title(std::move(title)),
      m_filter(std::move(filter)),
      m_defaultExtension(std::move(defaultExtension)),
      m_fileName(std::move(fileName)),
      m_typeIndex(typeIndex) {
    for (size_t at = m_filter.find(kPatternStart); at != std::u16string::npos;
         at = m_filter.find(kPatternStart, at + 1)) {
        const size_t dot = at + 2;
        if (dot + 1 < m_filter.size() && m_filter[dot + 1] == u'*') break;
        m_extensions.push_back(m_filter.substr(dot, 4));
    }
}

std::vector<FileTypeFilter> CFileSaveDialog::Filters() const {
    std::vector<FileTypeFilter> filters;
    size_t at = 0;
    while (at < m_filter.size()) {
        const size_t bar = m_filter.find(u'|', at);
        if (bar == std::u16string::npos) break;
        const size_t end = m_filter.find(u'|', bar + 1);
        if (end == std::u16string::npos) break;
        filters.push_back({m_filter.substr(at, bar - at), m_filter.substr(bar + 1, end - bar - 1)});
        at = end + 1;
    }
    return filters;
}

std::u16string CFileSaveDialog::OnTypeChange(const std::u16string& name, int typeIndex) {
    m_typeIndex = typeIndex;
    std::u16string result = name;
    // The extension is what follows the last dot of the file name itself (a
    // dot in a folder of a typed path does not count); one of at most three
    // characters is replaced, a longer one is taken as part of the name.
    const size_t slash = result.rfind(u'/');
    const size_t nameStart = slash == std::u16string::npos ? 0 : slash + 1;
    const size_t dot = result.rfind(u'.');
    if (dot != std::u16string::npos && dot >= nameStart && result.size() - dot - 1 <= 3) result.erase(dot);
    result += ExtensionOf(typeIndex);
    m_fileName = result;
    return result;
}

std::u16string CFileSaveDialog::ExtensionOf(int typeIndex) const {
    if (typeIndex >= 1 && size_t(typeIndex) <= m_extensions.size()) return m_extensions[size_t(typeIndex) - 1];
    return m_extensions.empty() ? m_defaultExtension : m_extensions.front();
}

bool CFileSaveDialog::Confirm(std::u16string path, int typeIndex) {
    m_typeIndex = typeIndex;
    if (typeIndex == 2 || typeIndex == 3) {
        if (m_messages.Show(Tr(kListingWarningText), MessageButtons::OkCancel) != MessageAnswer::Ok) return false;
    }
    m_pathName = std::move(path);
    return true;
}

bool CFileSaveDialog::DoModal(ISaveDialogHost& host) {
    m_pathName.clear();
    return host.Run(*this) && !m_pathName.empty();
}

}  // namespace volcatra
