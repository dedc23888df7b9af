// The sample catalogue shipped under examples/ is the writer's own output.
#include <gtest/gtest.h>

#include "SampleCatalogue.h"
#include "model/CatalogueFile.h"

namespace volcatra {
namespace {

TEST(ExampleCatalogue, ShippedFileEqualsWriterOutput) {
    RootList roots = MakeSampleCatalogue();
    const std::vector<uint8_t> expected = WriteCatalogue(roots);
    EXPECT_EQ(ReadWholeFile(VOLCATRA_EXAMPLES_DIR "/sample.fsr"), expected)
        << "regenerate with: build/examples/make-sample examples/sample.fsr";
    // And it reads back into the same catalogue.
    RootList back = ReadCatalogue(expected, HeaderAcceptance::Search);
    EXPECT_EQ(WriteCatalogue(back), expected);
    EXPECT_EQ(back[0]->m_comment, u"2010年の旅行。京都と大阪。");
    EXPECT_EQ(back[1]->m_folders[0]->m_entries[0].m_size, 5'000'000'000u);
}

}  // namespace
}  // namespace volcatra
