// Building small catalogues by hand in tests.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "model/FileEntry.h"

namespace volcatra::test {

inline CFileEntry& AddEntry(CFileArray& array, std::u16string name, uint16_t attributes, uint64_t size = 0,
                            int64_t time = 0, int32_t childIndex = 0) {
    auto entry = std::make_unique<CFileEntry>();
    entry->m_name = std::move(name);
    entry->m_attributes = attributes;
    entry->m_size = size;
    entry->m_time = time;
    entry->m_childIndex = childIndex;
    array.m_entries.push_back(std::move(*entry));
    return array.m_entries.back();
}

inline CFileArray& AddArray(CRootEntry& root, std::u16string path) {
    root.m_folders.push_back(std::make_unique<CFileArray>());
    root.m_folders.back()->m_path = std::move(path);
    return *root.m_folders.back();
}

}  // namespace volcatra::test
