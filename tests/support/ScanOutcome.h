// The outcome of searching a catalogue's bytes by name, as one comparable
// text: everything a search keeps of the file (volumes, folder paths, the
// matching entries with all their fields), or the failure it ends in.
#pragma once

#include <cstdio>
#include <functional>
#include <span>
#include <string>

#include "model/CatalogueError.h"
#include "model/CatalogueFile.h"
#include "model/CatalogueScan.h"

namespace volcatra::test {

inline void DescribeText(std::string& out, std::u16string_view text) {
    char unit[8];
    out += '"';
    for (char16_t c : text) {
        std::snprintf(unit, sizeof(unit), "%04x", unsigned(c));
        out += unit;
    }
    out += "\" ";
}

inline void DescribeNumber(std::string& out, unsigned long long value) {
    out += std::to_string(value);
    out += ' ';
}

inline void DescribeEntry(std::string& out, const CFileEntry& entry) {
    DescribeText(out, entry.m_name);
    DescribeText(out, entry.m_extraText);
    DescribeNumber(out, uint64_t(entry.m_time));
    DescribeNumber(out, entry.m_attributes);
    DescribeNumber(out, uint16_t(entry.m_iconNumber));
    DescribeNumber(out, entry.m_size);
    DescribeNumber(out, uint32_t(entry.m_childIndex));
}

inline std::string DescribeScan(const ScannedCatalogue& volumes) {
    std::string out;
    for (const CScannedVolume& volume : volumes) {
        const CRootEntry& root = *volume.m_root;
        out += "volume ";
        DescribeEntry(out, root);
        DescribeNumber(out, root.m_usedBytes);
        DescribeText(out, root.m_volumeName);
        DescribeNumber(out, root.m_serialNumber);
        DescribeNumber(out, root.m_driveType);
        DescribeNumber(out, root.m_folderCount);
        DescribeNumber(out, root.m_fileCount);
        DescribeText(out, root.m_comment);
        for (const auto& block : root.m_extBlocks) out += "block " + std::string(block.begin(), block.end()) + ' ';
        for (const auto& image : root.m_icons.m_images) out += "icon " + std::string(image.begin(), image.end()) + ' ';
        out += '\n';
        for (const auto& array : root.m_folders) {
            out += "  array ";
            DescribeText(out, array->m_path);
            DescribeNumber(out, array->m_entries.size());
            out += '\n';
        }
        CFileEntry entry;
        for (size_t h = 0; h < volume.m_hits.size(); ++h) {
            volume.GetEntry(h, entry);
            out += "  hit ";
            DescribeNumber(out, volume.m_hits[h].m_array);
            DescribeEntry(out, entry);
            out += '\n';
        }
    }
    return out;
}

// The reference: the file read whole by the ordinary reader, then every
// entry's name tried.
inline ScannedCatalogue ReadAndMatch(std::span<const uint8_t> data, HeaderAcceptance acceptance,
                                     const CNamePattern& pattern) {
    RootList roots = ReadCatalogue(data, acceptance);
    ScannedCatalogue volumes;
    for (auto& root : roots) {
        CScannedVolume& volume = volumes.emplace_back();
        for (size_t a = 0; a < root->m_folders.size(); ++a) {
            for (const auto& entry : root->m_folders[a]->m_entries)
                if (entry.MatchName(pattern)) volume.AddEntry(uint32_t(a), entry);
            root->m_folders[a]->m_entries.clear();
        }
        volume.m_root = std::move(root);
    }
    return volumes;
}

inline std::string ScanOutcome(const std::function<ScannedCatalogue()>& scan) {
    try {
        return DescribeScan(scan());
    } catch (const CatalogueError& e) {
        return "failure " + std::to_string(int(e.Kind())) + ' ' + std::to_string(int(e.FormatCause())) + ' ' +
               std::to_string(e.HeaderRejected()) + ' ' + e.what();
    }
}

}  // namespace volcatra::test
