# Shell facts: type names from the shared MIME database, through QtCore only
# (no Gui or Widgets), so the command-line tool has them in every build.
find_package(Qt6 REQUIRED COMPONENTS Core)
add_library(volcatra_platform_shell STATIC ${CMAKE_CURRENT_LIST_DIR}/ShellTypeNames.cpp)
target_link_libraries(volcatra_platform_shell PUBLIC volcatra_model PRIVATE Qt6::Core)

# Removable media through UDisks2 on the system bus and the file manager on
# the session bus (QtDBus).
find_package(Qt6 REQUIRED COMPONENTS DBus)
add_library(volcatra_platform_udisks STATIC ${CMAKE_CURRENT_LIST_DIR}/UDisks2Media.cpp
                                            ${CMAKE_CURRENT_LIST_DIR}/FreedesktopFileManager.cpp)
set_target_properties(volcatra_platform_udisks PROPERTIES AUTOMOC ON)
target_include_directories(volcatra_platform_udisks PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(volcatra_platform_udisks PUBLIC volcatra_platform_media Qt6::DBus)

# Icon pictures with QImage (QtGui without a display): the reduction to the
# stored format and .ico files.
find_package(Qt6 REQUIRED COMPONENTS Gui)
add_library(volcatra_platform_icons STATIC ${CMAKE_CURRENT_LIST_DIR}/IconImages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QtIconSource.cpp ${CMAKE_CURRENT_LIST_DIR}/ProgramFiles.cpp)
target_include_directories(volcatra_platform_icons PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(volcatra_platform_icons PUBLIC volcatra_platform_media Qt6::Gui)
# Through.ico of an installed program lies in its data folder.
file(RELATIVE_PATH VOLCATRA_DATA_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR}/volcatra)
set_property(SOURCE ${CMAKE_CURRENT_LIST_DIR}/ProgramFiles.cpp APPEND PROPERTY
             COMPILE_DEFINITIONS VOLCATRA_DATA_FROM_BIN="${VOLCATRA_DATA_FROM_BIN}")
