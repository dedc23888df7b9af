# Mounted volumes, directory listing and the archiver libraries (libarchive
# for ZIP, TAR, LZH and CAB; our own header reader for ARJ).
find_package(PkgConfig REQUIRED)
pkg_check_modules(VOLCATRA_LIBARCHIVE REQUIRED IMPORTED_TARGET libarchive)
pkg_check_modules(VOLCATRA_BLKID REQUIRED IMPORTED_TARGET blkid)
pkg_check_modules(VOLCATRA_ZLIB REQUIRED IMPORTED_TARGET zlib)
# Disc images read without mounting: UDF through libudfread; ISO 9660
# directories are read by our own code (Iso9660Tree.cpp says why).
pkg_check_modules(VOLCATRA_UDFREAD REQUIRED IMPORTED_TARGET libudfread)

add_library(volcatra_platform_media STATIC
  ${CMAKE_CURRENT_LIST_DIR}/ArchiverLibraries.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ArjReader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ByteSource.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DiscImageFileSystem.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Iso9660Tree.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OpticalDescriptors.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UdfMetadata.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UdfTree.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DirectoryListing.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MountedVolumes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PeIconReader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RemovableMedia.cpp
)
target_include_directories(volcatra_platform_media PUBLIC ${PROJECT_SOURCE_DIR}/src)
# The ANSI code page (model) decodes legacy archive names and FAT labels.
target_link_libraries(volcatra_platform_media
  PUBLIC volcatra_model
  PRIVATE PkgConfig::VOLCATRA_LIBARCHIVE PkgConfig::VOLCATRA_BLKID PkgConfig::VOLCATRA_ZLIB
          PkgConfig::VOLCATRA_UDFREAD)
