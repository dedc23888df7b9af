#include "model/CatalogueError.h"

#include <cerrno>

namespace volcatra {

CatalogueError::CatalogueError(CatalogueFailure kind, const std::string& what)
    : std::runtime_error(what), m_kind(kind) {}

CatalogueError CatalogueError::Format(const char* what, FormatErrorCause cause, bool headerRejected) {
    CatalogueError e(CatalogueFailure::Format, what);
    e.m_formatCause = cause;
    e.m_headerRejected = headerRejected;
    return e;
}

CatalogueError CatalogueError::General(const char* what) {
    return CatalogueError(CatalogueFailure::General, what);
}

CatalogueError CatalogueError::File(FileErrorCause cause, std::u16string path) {
    CatalogueError e(CatalogueFailure::File, "file error");
    e.m_cause = cause;
    e.m_path = std::move(path);
    return e;
}

FileErrorCause FileErrorCauseFromErrno(int err) {
    switch (err) {
        case ENOENT:
            return FileErrorCause::FileNotFound;
        case ENOTDIR:
        case ENAMETOOLONG:
        case EINVAL:
        case ELOOP:
        case EISDIR:
            return FileErrorCause::BadPath;
        case EMFILE:
        case ENFILE:
            return FileErrorCause::TooManyOpenFiles;
        case EACCES:
        case EPERM:
        case EROFS:
            return FileErrorCause::AccessDenied;
        case EBADF:
            return FileErrorCause::InvalidFile;
        case EMLINK:
            return FileErrorCause::DirectoryFull;
        case ESPIPE:
            return FileErrorCause::BadSeek;
        case EIO:
            return FileErrorCause::HardIO;
        case EBUSY:
        case ETXTBSY:
            return FileErrorCause::SharingViolation;
        case EDEADLK:
        case ENOLCK:
            return FileErrorCause::LockViolation;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return FileErrorCause::DiskFull;
        default:
            return FileErrorCause::Unknown;
    }
}

std::u16string FileErrorText(FileErrorCause cause, const std::u16string& path) {
    UiText pattern = VOLCATRA_TEXT("CatalogueError", "%1 へのアクセス中に不明なエラーが発生しました。");
    switch (cause) {
        case FileErrorCause::Unknown:
            break;
        case FileErrorCause::FileNotFound:
            pattern = VOLCATRA_TEXT("CatalogueError", "%1 が見つかりませんでした。");
            break;
        case FileErrorCause::BadPath:
            pattern = VOLCATRA_TEXT("CatalogueError", "%1 に正しくないパスが含まれています。");
            break;
        case FileErrorCause::TooManyOpenFiles:
            pattern = VOLCATRA_TEXT("CatalogueError", "開いているファイルが多すぎるため、%1 を開けませんでした。");
            break;
        case FileErrorCause::AccessDenied:
            pattern = VOLCATRA_TEXT("CatalogueError", "%1 へのアクセスは拒否されました。");
            break;
        case FileErrorCause::InvalidFile:
            pattern = VOLCATRA_TEXT("CatalogueError", "正しくないファイル ハンドルが %1 に関連付けられていました。");
            break;
        case FileErrorCause::RemoveCurrentDir:
            pattern = VOLCATRA_TEXT("CatalogueError", "現在のディレクトリ %1 は削除できませんでした。");
            break;
        case FileErrorCause::DirectoryFull:
            pattern = VOLCATRA_TEXT("CatalogueError", "%1 を作成できませんでした。そのディレクトリはいっぱいです。");
            break;
        case FileErrorCause::BadSeek:
            pattern = VOLCATRA_TEXT("CatalogueError", "%1 のシークに失敗しました。");
            break;
        case FileErrorCause::HardIO:
            pattern = VOLCATRA_TEXT("CatalogueError", "%1 へのアクセス中にハードウェア I/O エラーが報告されました。");
            break;
        case FileErrorCause::SharingViolation:
            pattern = VOLCATRA_TEXT("CatalogueError", "%1 へのアクセス中に共有違反が発生しました。");
            break;
        case FileErrorCause::LockViolation:
            pattern = VOLCATRA_TEXT("CatalogueError", "%1 へのアクセス中にロック違反が発生しました。");
            break;
        case FileErrorCause::DiskFull:
            pattern = VOLCATRA_TEXT("CatalogueError", "%1 へのアクセス中にディスクがいっぱいになりました。");
            break;
        case FileErrorCause::EndOfFile:
            pattern = VOLCATRA_TEXT("CatalogueError", "%1 の末尾以降にアクセスしようとしました。");
            break;
    }
    std::u16string text = Tr(pattern);
    const auto at = text.find(u"%1");
    if (at != std::u16string::npos) text.replace(at, 2, path);
    return text;
}

}  // namespace volcatra
