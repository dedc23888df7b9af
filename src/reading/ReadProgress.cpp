#include "reading/ReadProgress.h"

#include <vector>

namespace volcatra {

namespace {
__extension__ using Uint128 = unsigned __int128;
}  // namespace

std::u16string ReadPhaseText(ReadPhase phase) {
    switch (phase) {
        case ReadPhase::Directory:
            return Tr(VOLCATRA_TEXT("Reading", "ディレクトリ内容を読み取っています"));
        case ReadPhase::Icons:
            return Tr(VOLCATRA_TEXT("Reading", "アイコンを読み取っています"));
        case ReadPhase::IconsOrganising:
            return Tr(VOLCATRA_TEXT("Reading", "アイコンを読み取っています (整理中)"));
    }
    return {};
}

int CReadProgressBase::Percent(uint64_t position, uint64_t high) {
    if (high == 0) return 0;
    if (position >= high) return 100;
    // position < high, so the quotient is below 100; 128-bit product so
    // that no range is too large.
    return int(Uint128(position) * 100 / high);
}

void CReadProgressBase::UpdatePercent() {
    const int percent = Percent(m_position, m_high);
    if (percent != m_lastPercent) {
        m_lastPercent = percent;
        OnPercentChanged(percent);
    }
}

void CReadProgressBase::SetRange(uint64_t high) {
    m_high = high;
    m_position = 0;
    OnBarVisibility(high != 0);
    UpdatePercent();
}

void CReadProgressBase::SetPos(uint64_t position) {
    PumpMessages();
    m_position = position;
    UpdatePercent();
}

void CReadProgressBase::AddPos(uint64_t delta) {
    PumpMessages();
    m_position = delta > UINT64_MAX - m_position ? UINT64_MAX : m_position + delta;
    UpdatePercent();
}

void CReadProgressBase::StepIt() {
    AddPos(m_step);
}

bool CReadProgressBase::TakeCancelRequest() {
    PumpMessages();
    const bool requested = m_cancelRequested;
    m_cancelRequested = false;
    return requested;
}

namespace {

// One character as the terminal shows it.
struct Cell {
    std::u16string text;
    size_t width;
};

size_t CodePointWidth(char32_t c) {
    const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) || (c >= 0x3041 && c <= 0x33FF) ||
                      (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
                      (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
                      (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1F64F) ||
                      (c >= 0x20000 && c <= 0x3FFFD);
    return wide ? 2 : 1;
}

std::vector<Cell> SplitCells(std::u16string_view text) {
    std::vector<Cell> cells;
    cells.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            const char32_t cp = 0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00);
            cells.push_back({std::u16string{c, text[i + 1]}, CodePointWidth(cp)});
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            cells.push_back({std::u16string(1, u'\uFFFD'), 1});
        } else if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) {
            cells.push_back({std::u16string(1, u'?'), 1});
        } else {
            cells.push_back({std::u16string(1, c), CodePointWidth(c)});
        }
    }
    return cells;
}

size_t Width(const std::vector<Cell>& cells, size_t begin, size_t end) {
    size_t width = 0;
    for (size_t i = begin; i < end; ++i) width += cells[i].width;
    return width;
}

}  // namespace

size_t DisplayColumns(std::u16string_view text) {
    const std::vector<Cell> cells = SplitCells(text);
    return Width(cells, 0, cells.size());
}

std::u16string ShortenPathForColumns(std::u16string_view path, size_t columns) {
    const std::vector<Cell> cells = SplitCells(path);
    std::u16string out;
    const size_t total = Width(cells, 0, cells.size());
    if (total <= columns) {
        for (const Cell& cell : cells) out += cell.text;
        return out;
    }
    static constexpr size_t kEllipsisWidth = 3;
    if (columns < kEllipsisWidth) return std::u16string(columns, u'.');
    // The last component with its separator.
    size_t tailBegin = cells.size();
    while (tailBegin > 0 && cells[tailBegin - 1].text != u"/" && cells[tailBegin - 1].text != u"\\") --tailBegin;
    if (tailBegin > 0) --tailBegin;
    size_t tailWidth = Width(cells, tailBegin, cells.size());
    // A last component that does not fit by itself keeps its end.
    while (tailWidth + kEllipsisWidth > columns && tailBegin < cells.size()) tailWidth -= cells[tailBegin++].width;
    size_t headEnd = 0;
    size_t headWidth = 0;
    while (headEnd < tailBegin && headWidth + cells[headEnd].width + kEllipsisWidth + tailWidth <= columns)
        headWidth += cells[headEnd++].width;
    for (size_t i = 0; i < headEnd; ++i) out += cells[i].text;
    out += u"...";
    for (size_t i = tailBegin; i < cells.size(); ++i) out += cells[i].text;
    return out;
}

}  // namespace volcatra
