// The progress object every reading routine accepts (or none): it shows the
// phase, the path being read and a percentage, keeps the user interface
// alive when asked, and records a cancel request that the reading code
// collects when it is ready to act on it. The confirmation question is
// asked by the reading code, not here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/UiText.h"

namespace volcatra {

enum class ReadPhase {
    Directory,        // "ディレクトリ内容を読み取っています"
    Icons,            // "アイコンを読み取っています"
    IconsOrganising,  // "アイコンを読み取っています (整理中)"
};

std::u16string ReadPhaseText(ReadPhase phase);

// The question asked when a cancel request is collected.
inline constexpr UiText kCancelReadQuestion = VOLCATRA_TEXT("Reading", "読み取りを中止しますか？");
// The message after any failed or cancelled read.
inline constexpr UiText kReadFailedText = VOLCATRA_TEXT("Reading", "読み取りに失敗しました");

class IReadProgress {
public:
    virtual ~IReadProgress() = default;
    virtual void SetPhaseText(ReadPhase phase) = 0;
    // Shows the path being read, shortened to fit.
    virtual void SetPathText(const std::u16string& path) = 0;
    // Starts a phase with the given total; resets the position to 0 and
    // shows the bar (hides it for 0).
    virtual void SetRange(uint64_t high) = 0;
    // Each of these first handles pending events, then moves the position.
    virtual void SetPos(uint64_t position) = 0;
    virtual void AddPos(uint64_t delta) = 0;
    virtual void StepIt() = 0;
    virtual void SetStep(uint64_t step) = 0;
    // Handles every pending event of the user interface.
    virtual void PumpMessages() = 0;
    // Pumps, then returns the cancel request and clears it.
    virtual bool TakeCancelRequest() = 0;
    // For a phase that cannot be cancelled.
    virtual void DisableCancel() = 0;
};

// The bookkeeping every progress object shares: range, step, position, the
// percentage and the cancel request. A front end supplies the drawing and
// the event pump.
class CReadProgressBase : public IReadProgress {
public:
    void SetRange(uint64_t high) override;
    void SetPos(uint64_t position) override;
    void AddPos(uint64_t delta) override;
    void StepIt() override;
    void SetStep(uint64_t step) override { m_step = step; }
    bool TakeCancelRequest() override;
    void DisableCancel() override { m_cancelEnabled = false; }

    // What the Cancel button (or Ctrl-C) does: records a request. Pressing
    // it twice before the reading code asks gives one request.
    void RequestCancel() {
        if (m_cancelEnabled) m_cancelRequested = true;
    }

    uint64_t Range() const { return m_high; }
    uint64_t Position() const { return m_position; }
    uint64_t Step() const { return m_step; }
    bool BarVisible() const { return m_high != 0; }
    bool CancelEnabled() const { return m_cancelEnabled; }
    // The percent last sent to the bar; -1 before the first.
    int LastPercent() const { return m_lastPercent; }

    // position × 100 ÷ high without overflow, clamped to 0..100; 0 when
    // high is 0.
    static int Percent(uint64_t position, uint64_t high);

protected:
    // The bar shows a new whole-number percentage.
    virtual void OnPercentChanged(int percent) = 0;
    // The bar is shown or hidden.
    virtual void OnBarVisibility(bool) {}

private:
    void UpdatePercent();

    uint64_t m_high = 0;
    uint64_t m_step = 1;
    uint64_t m_position = 0;
    int m_lastPercent = -1;
    bool m_cancelRequested = false;
    bool m_cancelEnabled = true;
};

// Shortens a path for a line of `columns` terminal columns by putting "..."
// in its middle: the start and the last component stay as far as they fit.
// Wide (East Asian) characters count two columns. Control characters are
// shown as "?" and lone surrogates (bytes that were not UTF-8) as U+FFFD,
// so no name can send commands to the terminal.
std::u16string ShortenPathForColumns(std::u16string_view path, size_t columns);

// Terminal columns of one UTF-16 code unit sequence as shown by
// ShortenPathForColumns.
size_t DisplayColumns(std::u16string_view text);

}  // namespace volcatra
