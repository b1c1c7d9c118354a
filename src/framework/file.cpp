#include "framework/file.h"

#include <span>

#include "platform/carried_path.h"

namespace {
bool NamesAFile(const CString& path) {
    return platform::carried::NamesAFile(path.str());
}
}  // namespace

BOOL CFile::Open(const CString& fileName, UINT openFlags, CFileException* pError) {
    (void)openFlags;  // only modeRead exists here
    file_.reset();
    path_ = fileName;
    platform::FileError error = platform::FileError::badPath;
    if (NamesAFile(fileName)) {
        error = env_.OpenSequential(fileName.str(), &file_);
    }
    if (error == platform::FileError::none) {
        return TRUE;
    }
    file_.reset();
    if (pError != nullptr) {
        pError->m_cause = CFileException::CauseOf(error);
        pError->m_strFileName = fileName;
    }
    return FALSE;
}

UINT CFile::Read(void* buffer, UINT count) {
    if (!file_ || count == 0) {
        return 0;
    }
    std::size_t delivered = 0;
    const auto error = file_->Read(std::span(static_cast<std::byte*>(buffer), count), &delivered);
    if (error != platform::FileError::none) {
        AfxThrowFileException(CFileException::CauseOf(error), -1, path_);
    }
    return static_cast<UINT>(delivered);
}

platform::FileError CFile::TransferTo(platform::WritableFile& out, ULONGLONG count,
                                      ULONGLONG* moved) {
    *moved = 0;
    if (!file_) {
        return platform::FileError::generic;
    }
    std::uint64_t done = 0;
    const auto error = file_->TransferTo(out, count, &done);
    *moved = done;
    return error;
}

void CFile::Close() {
    file_.reset();
}

ULONGLONG CFile::GetLength() const {
    return file_ ? file_->Length() : 0;
}

BOOL CFile::GetStatus(platform::Env& env, const CString& fileName, CFileStatus& status) {
    if (!NamesAFile(fileName)) {
        return FALSE;
    }
    platform::FileStatus st;
    if (!env.GetFileStatus(fileName.str(), &st)) {
        return FALSE;
    }
    status.m_size = st.size;
    status.m_bDirectory = st.isDirectory ? TRUE : FALSE;
    status.m_szFullName = fileName;
    return TRUE;
}

void CFile::Remove(platform::Env& env, const CString& fileName) {
    const auto error =
        !NamesAFile(fileName) ? platform::FileError::badPath : env.RemoveFile(fileName.str());
    if (error != platform::FileError::none) {
        AfxThrowFileException(CFileException::CauseOf(error), -1, env.DisplayPath(fileName.str()));
    }
}
