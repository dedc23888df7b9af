# The language of the interface and the English translation of the program's
# texts (translations/volcatra_en.ts), compiled into the programs as a
# resource. `cmake --build build --target update_translations` collects the
# marked texts of all sources into the .ts file.
find_package(Qt6 REQUIRED COMPONENTS Core LinguistTools)
add_library(volcatra_platform_language STATIC ${CMAKE_CURRENT_LIST_DIR}/InterfaceLanguage.cpp)
target_include_directories(volcatra_platform_language PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(volcatra_platform_language PUBLIC volcatra_model Qt6::Core)

file(GLOB_RECURSE VOLCATRA_TEXT_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/*.cpp ${PROJECT_SOURCE_DIR}/src/*.h)
# The options the check of the translation (tests/CMakeLists.txt) uses too.
set(VOLCATRA_LUPDATE_OPTIONS -tr-function-alias QT_TRANSLATE_NOOP+=VOLCATRA_TEXT -locations none -no-obsolete
    CACHE INTERNAL "lupdate options of the program's translation")
set(VOLCATRA_TS_FILE ${PROJECT_SOURCE_DIR}/translations/volcatra_en.ts CACHE INTERNAL "the English translation")
qt_add_translations(volcatra_platform_language
  TS_FILES ${VOLCATRA_TS_FILE}
  SOURCES ${VOLCATRA_TEXT_SOURCES}
  RESOURCE_PREFIX /volcatra/i18n
  LUPDATE_OPTIONS ${VOLCATRA_LUPDATE_OPTIONS}
)
