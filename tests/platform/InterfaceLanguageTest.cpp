// The choice of the interface language and the translation hook of the
// program's texts.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "model/CatalogueError.h"
#include "model/UiText.h"
#include "platform/InterfaceLanguage.h"

namespace volcatra {
namespace {

constexpr InterfaceLanguage ja = InterfaceLanguage::Japanese;
constexpr InterfaceLanguage en = InterfaceLanguage::English;

InterfaceLanguage Choose(const std::map<std::string, std::string>& environment) {
    return ChooseInterfaceLanguage([&environment](const char* name) -> const char* {
        const auto it = environment.find(name);
        return it == environment.end() ? nullptr : it->second.c_str();
    });
}

TEST(InterfaceLanguageTest, FollowsTheEnvironment) {
    struct Case {
        std::map<std::string, std::string> environment;
        InterfaceLanguage expected;
    };
    const Case cases[] = {
        // No locale, and the locales that name no language: the program's own texts.
        {{}, ja},
        {{{"LANG", "C"}}, ja},
        {{{"LANG", "C.UTF-8"}}, ja},
        {{{"LC_ALL", "POSIX"}}, ja},
        // The language list does not count under the C locale.
        {{{"LANG", "C.UTF-8"}, {"LANGUAGE", "en"}}, ja},
        {{{"LANG", "ja_JP.UTF-8"}}, ja},
        {{{"LANG", "en_US.UTF-8"}}, en},
        {{{"LANG", "de_DE.UTF-8"}}, en},
        {{{"LANG", "fr_FR@euro"}}, en},
        // LC_ALL before LC_MESSAGES before LANG; empty values are unset.
        {{{"LC_ALL", "de_DE.UTF-8"}, {"LC_MESSAGES", "ja_JP.UTF-8"}}, en},
        {{{"LC_MESSAGES", "ja_JP.UTF-8"}, {"LANG", "en_US.UTF-8"}}, ja},
        {{{"LC_ALL", ""}, {"LANG", "ja_JP.UTF-8"}}, ja},
        {{{"LC_ALL", "C"}, {"LANG", "en_US.UTF-8"}}, ja},
        // The first language of the list that the program has decides.
        {{{"LANG", "en_US.UTF-8"}, {"LANGUAGE", "ja"}}, ja},
        {{{"LANG", "ja_JP.UTF-8"}, {"LANGUAGE", "de:en_GB:ja"}}, en},
        {{{"LANG", "de_DE.UTF-8"}, {"LANGUAGE", "de:ja_JP:en"}}, ja},
        {{{"LANG", "ja_JP.UTF-8"}, {"LANGUAGE", "de:fr"}}, ja},
        // VOLCATRA_LANG overrides everything; other values are ignored.
        {{{"VOLCATRA_LANG", "en"}}, en},
        {{{"VOLCATRA_LANG", "en"}, {"LANG", "ja_JP.UTF-8"}}, en},
        {{{"VOLCATRA_LANG", "ja"}, {"LC_ALL", "en_US.UTF-8"}, {"LANGUAGE", "en"}}, ja},
        {{{"VOLCATRA_LANG", "ja_JP.UTF-8"}, {"LANG", "en_US.UTF-8"}}, ja},
        {{{"VOLCATRA_LANG", "klingon"}, {"LANG", "en_US.UTF-8"}}, en},
    };
    for (const Case& c : cases) {
        std::string shown;
        for (const auto& [name, value] : c.environment) shown += name + "=" + value + " ";
        EXPECT_EQ(Choose(c.environment), c.expected) << shown;
    }
}

TEST(InterfaceLanguageTest, TheTranslationGivesTheTextsInEnglishWhileItLives) {
    ASSERT_EQ(Tr(kOpenFailedText), u"ドキュメントを開くことに失敗しました。");
    {
        const CInterfaceTranslation translation(InterfaceLanguage::English);
        ASSERT_TRUE(translation.IsLoaded());
        EXPECT_EQ(Tr(kOpenFailedText), u"Failed to open the document.");
        // A file error's pattern is translated before the path goes in.
        EXPECT_EQ(FileErrorText(FileErrorCause::FileNotFound, u"/media/旅行.fsr"), u"/media/旅行.fsr was not found.");
        // A text the translation does not know stays as written.
        EXPECT_EQ(Tr(VOLCATRA_TEXT("Nowhere", "未知")), u"未知");
    }
    EXPECT_EQ(Tr(kOpenFailedText), u"ドキュメントを開くことに失敗しました。");
    const CInterfaceTranslation japanese(InterfaceLanguage::Japanese);
    EXPECT_FALSE(japanese.IsLoaded());
    EXPECT_EQ(Tr(kOpenFailedText), u"ドキュメントを開くことに失敗しました。");
}

}  // namespace
}  // namespace volcatra
