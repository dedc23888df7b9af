// The clipboard and drag-and-drop as the catalogue document sees them: data
// of the private format "File Struct Record" (one volume payload as a byte
// block) and Unicode text. The desktop program implements these on the
// system clipboard and its drag-and-drop; the command-line tool and the
// tests use the in-process clipboard below.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace volcatra {

// Name of the private clipboard format that carries one volume.
inline constexpr char16_t kVolumeFormatName[] = u"File Struct Record";

// Drop effects of a drag.
inline constexpr uint32_t DROPEFFECT_NONE = 0;
inline constexpr uint32_t DROPEFFECT_COPY = 1;
inline constexpr uint32_t DROPEFFECT_MOVE = 2;

// Data offered by the clipboard or by a drop.
class IDataSource {
public:
    virtual ~IDataSource() = default;
    // The bytes of the format "File Struct Record", or nullopt when the data
    // holds no such format.
    virtual std::optional<std::vector<uint8_t>> GetVolumeData() const = 0;
    virtual bool HasVolumeData() const { return GetVolumeData().has_value(); }
};

// Data made by a copy or a drag: one volume payload.
class CVolumeData : public IDataSource {
public:
    explicit CVolumeData(std::vector<uint8_t> bytes) : m_bytes(std::move(bytes)) {}
    std::optional<std::vector<uint8_t>> GetVolumeData() const override { return m_bytes; }
    bool HasVolumeData() const override { return true; }
    const std::vector<uint8_t>& Bytes() const { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
};

class IClipboard : public IDataSource {
public:
    // Each replaces the clipboard's whole contents; false when the clipboard
    // could not be set.
    virtual bool SetVolumeData(std::vector<uint8_t> bytes) = 0;
    virtual bool SetText(const std::u16string& text) = 0;
};

// The platform's drag-and-drop loop. Drops on windows of this process arrive
// while DoDragDrop runs.
class IDragService {
public:
    virtual ~IDragService() = default;
    // Runs the drag with the data and the allowed effects (a combination of
    // DROPEFFECT_COPY and DROPEFFECT_MOVE); returns the effect the drop
    // target chose, DROPEFFECT_NONE when there was no accepted drop.
    virtual uint32_t DoDragDrop(const CVolumeData& data, uint32_t allowedEffects) = 0;
};

// A clipboard inside the process, for systems without a clipboard service.
class CMemoryClipboard : public IClipboard {
public:
    bool SetVolumeData(std::vector<uint8_t> bytes) override {
        m_volume = std::move(bytes);
        m_text.reset();
        return true;
    }
    bool SetText(const std::u16string& text) override {
        m_text = text;
        m_volume.reset();
        return true;
    }
    bool HasVolumeData() const override { return m_volume.has_value(); }
    std::optional<std::vector<uint8_t>> GetVolumeData() const override { return m_volume; }
    const std::optional<std::u16string>& Text() const { return m_text; }
    void Clear() {
        m_volume.reset();
        m_text.reset();
    }

private:
    std::optional<std::vector<uint8_t>> m_volume;
    std::optional<std::u16string> m_text;
};

}  // namespace volcatra
