// CFile: a file opened for reading through the platform seam, and the framework's static
// status query and deletion.
#pragma once

#include <memory>

#include "framework/cstring.h"
#include "framework/exceptions.h"
#include "framework/types.h"
#include "platform/env.h"

struct CFileStatus {
    ULONGLONG m_size = 0;
    BOOL m_bDirectory = FALSE;
    CString m_szFullName;
};

class CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
    };

    explicit CFile(platform::Env& env) : env_(env) {}
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    // A file still open is closed without reporting.
    virtual ~CFile() = default;

    // Opens an existing file for reading, without sharing. On failure fills *pError (when
    // given) and returns FALSE.
    BOOL Open(const CString& fileName, UINT openFlags, CFileException* pError = nullptr);
    // Delivers up to count bytes; fewer only at the end. Raises CFileException on an
    // I/O error.
    UINT Read(void* buffer, UINT count);
    // Moves the next `count` bytes into `out` without passing them through a buffer of the
    // caller's (see platform::SequentialFile::TransferTo); how many were moved, and why fewer.
    platform::FileError TransferTo(platform::WritableFile& out, ULONGLONG count, ULONGLONG* moved);
    void Close();
    ULONGLONG GetLength() const;
    const CString& GetFilePath() const { return path_; }
    bool IsOpen() const { return file_ != nullptr; }
    platform::Env& Env() const { return env_; }

    // FALSE when the path cannot be examined.
    static BOOL GetStatus(platform::Env& env, const CString& fileName, CFileStatus& status);
    // Deletes a file; raises CFileException naming it when that fails.
    static void Remove(platform::Env& env, const CString& fileName);

private:
    platform::Env& env_;
    std::unique_ptr<platform::SequentialFile> file_;
    CString path_;
};
