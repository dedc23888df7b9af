// Typed failures of catalogue reading and writing.
#pragma once

#include <stdexcept>
#include <string>

#include "model/UiText.h"

namespace volcatra {

// The failure kinds a catalogue operation ends with.
enum class CatalogueFailure {
    Format,   // malformed or unaccepted content ("予期しないファイル形式です。")
    General,  // anything else: lack of memory, an impossible length
    File,     // the file system refused: see FileErrorCause
};

// Why a file operation failed; each cause has its own user-visible text.
enum class FileErrorCause {
    Unknown,
    FileNotFound,
    BadPath,
    TooManyOpenFiles,
    AccessDenied,
    InvalidFile,
    RemoveCurrentDir,
    DirectoryFull,
    BadSeek,
    HardIO,
    SharingViolation,
    LockViolation,
    DiskFull,
    EndOfFile,
};

// What kind of damage a format error found; the paste command names it.
enum class FormatErrorCause {
    BadFormat,        // wrong header, bad tag, reference or class number
    EndOfData,        // the data ends before an item is complete
    UnexpectedClass,  // an unknown class, or one that does not belong there
    BadSchema,        // a known class with another schema number
};

class CatalogueError : public std::runtime_error {
public:
    static CatalogueError Format(const char* what, FormatErrorCause cause = FormatErrorCause::BadFormat,
                                 bool headerRejected = false);
    static CatalogueError General(const char* what);
    static CatalogueError File(FileErrorCause cause, std::u16string path);

    CatalogueFailure Kind() const { return m_kind; }
    FileErrorCause Cause() const { return m_cause; }
    FormatErrorCause FormatCause() const { return m_formatCause; }
    const std::u16string& Path() const { return m_path; }
    // True when the failure is a header text or version that was not accepted;
    // the search skips such files silently.
    bool HeaderRejected() const { return m_headerRejected; }

private:
    CatalogueError(CatalogueFailure kind, const std::string& what);

    CatalogueFailure m_kind;
    FileErrorCause m_cause = FileErrorCause::Unknown;
    FormatErrorCause m_formatCause = FormatErrorCause::BadFormat;
    std::u16string m_path;
    bool m_headerRejected = false;
};

// Maps an errno value to the cause shown to the user.
FileErrorCause FileErrorCauseFromErrno(int err);

// The user-visible text of a file failure, with the path put in for %1.
std::u16string FileErrorText(FileErrorCause cause, const std::u16string& path);

// Texts of the other failure kinds.
inline constexpr UiText kFormatErrorText = VOLCATRA_TEXT("CatalogueError", "予期しないファイル形式です。");
inline constexpr UiText kOpenFailedText = VOLCATRA_TEXT("CatalogueError", "ドキュメントを開くことに失敗しました。");
inline constexpr UiText kSaveFailedText = VOLCATRA_TEXT("CatalogueError", "ドキュメントの保存に失敗しました。");

}  // namespace volcatra
