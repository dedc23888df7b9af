// The progress object's bookkeeping (range, position, percentage, cancel
// request) and the path shortening of the terminal's progress line.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "ReadingFakes.h"
#include "reading/ReadProgress.h"

namespace volcatra {
namespace {

using test::RecordingProgress;

TEST(ReadProgressTest, PhaseTexts) {
    EXPECT_EQ(ReadPhaseText(ReadPhase::Directory), u"ディレクトリ内容を読み取っています");
    EXPECT_EQ(ReadPhaseText(ReadPhase::Icons), u"アイコンを読み取っています");
    EXPECT_EQ(ReadPhaseText(ReadPhase::IconsOrganising), u"アイコンを読み取っています (整理中)");
}

TEST(ReadProgressTest, PercentIsExactClampedAndOverflowFree) {
    struct Case {
        uint64_t position, high;
        int percent;
    };
    const Case cases[] = {
        {0, 0, 0},
        {5, 0, 0},  // no range: the bar is hidden and stays at 0
        {0, 10, 0},
        {1, 3, 33},
        {2, 3, 66},
        {99, 100, 99},
        {100, 100, 100},
        {250, 100, 100},  // beyond the range
        {UINT64_MAX - 1, UINT64_MAX, 99},
        {UINT64_MAX / 2, UINT64_MAX, 49},
        {UINT64_MAX / 100 + 1, UINT64_MAX, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CReadProgressBase::Percent(c.position, c.high), c.percent) << c.position << " / " << c.high;
}

TEST(ReadProgressTest, BarOnlyTouchedWhenThePercentChanges) {
    RecordingProgress p;
    EXPECT_EQ(p.LastPercent(), -1);
    p.SetRange(1000);
    EXPECT_TRUE(p.BarVisible());
    for (int i = 0; i < 1000; ++i) p.AddPos(1);
    EXPECT_EQ(p.percents.size(), 101u);  // 0, 1, ..., 100 once each
    EXPECT_EQ(p.percents.back(), 100);
    EXPECT_EQ(p.pumps, 1000);  // every position change pumps first

    p.SetRange(0);
    EXPECT_FALSE(p.BarVisible());
    EXPECT_EQ(p.Position(), 0u);
    p.SetPos(7);
    p.StepIt();
    EXPECT_EQ(p.LastPercent(), 0);
}

TEST(ReadProgressTest, StepAndSaturatingAdd) {
    RecordingProgress p;
    p.SetRange(10);
    p.SetStep(3);
    p.StepIt();
    p.StepIt();
    EXPECT_EQ(p.Position(), 6u);
    p.AddPos(UINT64_MAX);
    EXPECT_EQ(p.Position(), UINT64_MAX);
    EXPECT_EQ(p.LastPercent(), 100);
}

TEST(ReadProgressTest, CancelRequestIsTakenOnce) {
    RecordingProgress p;
    EXPECT_FALSE(p.TakeCancelRequest());
    p.RequestCancel();
    p.RequestCancel();  // pressed twice before the reading code asks
    EXPECT_TRUE(p.TakeCancelRequest());
    EXPECT_FALSE(p.TakeCancelRequest());
    p.DisableCancel();
    p.RequestCancel();
    EXPECT_FALSE(p.TakeCancelRequest());
    EXPECT_FALSE(p.CancelEnabled());
}

TEST(ReadProgressTest, ShortenPathForColumns) {
    struct Case {
        std::u16string path;
        size_t columns;
        std::u16string shown;
    };
    const Case cases[] = {
        {u"/media/disc/photos", 40, u"/media/disc/photos"},
        {u"/media/disc/photos/2010/summer/beach.jpg", 30, u"/media/disc/photo.../beach.jpg"},
        {u"/media/disc/photos/2010/summer/beach.jpg", 16, u"/me.../beach.jpg"},
        {u"/a/averyveryverylongfilename.txt", 12, u"...ename.txt"},
        {u"/写真/二〇一〇年/夏休み.jpg", 20, u"/写真/.../夏休み.jpg"},  // wide characters take two columns
        {u"/x/a\u001b[2Jb", 20, u"/x/a?[2Jb"},                          // no escape sequence reaches the terminal
        {u"/x/\xDCFF.bin", 20, u"/x/\uFFFD.bin"},                       // a byte that was not UTF-8
        {u"/abcdef", 2, u".."},
        {u"", 5, u""},
    };
    for (const Case& c : cases) {
        const std::u16string shown = ShortenPathForColumns(c.path, c.columns);
        EXPECT_EQ(shown, c.shown) << c.columns;
        EXPECT_LE(DisplayColumns(shown), c.columns);
    }
}

}  // namespace
}  // namespace volcatra
