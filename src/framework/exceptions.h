// The framework's exceptions for archive, file and memory faults. Each gives the text that
// the default error report shows.
#pragma once

#include <exception>

#include "framework/cstring.h"
#include "framework/types.h"

namespace platform {
enum class FileError;
}

class CException : public std::exception {
public:
    // The text the error report shows.
    virtual CString GetErrorMessage() const = 0;
    const char* what() const noexcept override;

private:
    mutable std::string what_;
};

class CMemoryException : public CException {
public:
    CString GetErrorMessage() const override;
};

class CArchiveException : public CException {
public:
    enum {
        none = 0,
        genericException = 1,
        readOnly = 2,
        endOfFile = 3,
        writeOnly = 4,
        badIndex = 5,
        badClass = 6,
        badSchema = 7,
    };
    explicit CArchiveException(int cause = none, CString fileName = {})
        : m_cause(cause), m_strFileName(std::move(fileName)) {}
    CString GetErrorMessage() const override;

    int m_cause;
    CString m_strFileName;
};

class CFileException : public CException {
public:
    enum {
        none = 0,
        genericException = 1,
        fileNotFound = 2,
        badPath = 3,
        tooManyOpenFiles = 4,
        accessDenied = 5,
        invalidFile = 6,
        removeCurrentDir = 7,
        directoryFull = 8,
        badSeek = 9,
        hardIO = 10,
        sharingViolation = 11,
        lockViolation = 12,
        diskFull = 13,
        endOfFile = 14,
    };
    explicit CFileException(int cause = none, LONG osError = -1, CString fileName = {})
        : m_cause(cause), m_lOsError(osError), m_strFileName(std::move(fileName)) {}
    CString GetErrorMessage() const override;

    static int CauseOf(platform::FileError error);

    int m_cause;
    LONG m_lOsError;
    CString m_strFileName;
};

// A system error code wrapped as an exception; the framework raises it for an arithmetic
// overflow in a size computation.
class COleException : public CException {
public:
    explicit COleException(std::uint32_t sc) : m_sc(sc) {}
    CString GetErrorMessage() const override;

    std::uint32_t m_sc;
};

inline constexpr std::uint32_t kArithmeticOverflowScode = 0x80070216;

[[noreturn]] void AfxThrowMemoryException();
[[noreturn]] void AfxThrowArchiveException(int cause, const CString& fileName = {});
[[noreturn]] void AfxThrowFileException(int cause, LONG osError = -1, const CString& fileName = {});
[[noreturn]] void AfxThrowArithmeticOverflow();
