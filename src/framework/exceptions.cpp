#include "framework/exceptions.h"

#include <array>
#include <string_view>

#include "platform/env.h"

namespace {

// Each text names the file with %1; an exception without a file name says "an unnamed file".
constexpr std::array<std::u16string_view, 8> kArchiveTexts = {
    u"No error occurred.",
    u"An unknown error occurred while accessing %1.",
    u"Tried to write to %1 while it was open for loading.",
    u"Attempted to access %1 past its end.",
    u"Tried to read from %1 while it was open for storing.",
    u"%1 has a bad format.",
    u"%1 contained an unexpected object.",
    u"%1 contains an incorrect schema.",
};

constexpr std::array<std::u16string_view, 15> kFileTexts = {
    u"No error occurred.",
    u"An unknown error occurred while accessing %1.",
    u"%1 was not found.",
    u"%1 contains an invalid path.",
    u"%1 could not be opened because there are too many open files.",
    u"Access to %1 was denied.",
    u"An incorrect file handle was associated with %1.",
    u"%1 could not be removed because it is the current directory.",
    u"%1 could not be created because the directory is full.",
    u"Seek failed on %1",
    u"A hardware I/O error was reported while accessing %1.",
    u"A sharing violation occurred while accessing %1.",
    u"A locking violation occurred while accessing %1.",
    u"Disk full while accessing %1.",
    u"Attempted to access %1 past its end.",
};

CString Expand(std::u16string_view text, const CString& fileName) {
    const CString name = fileName.IsEmpty() ? CString(u"an unnamed file") : fileName;
    std::u16string out(text);
    if (const auto at = out.find(u"%1"); at != std::u16string::npos) {
        out.replace(at, 2, name.str());
    }
    return CString(std::move(out));
}

template <std::size_t N>
std::u16string_view TextFor(const std::array<std::u16string_view, N>& table, int cause) {
    return (cause >= 0 && static_cast<std::size_t>(cause) < N)
               ? table[static_cast<std::size_t>(cause)]
               : table[1];
}

}  // namespace

const char* CException::what() const noexcept {
    try {
        what_ = GetErrorMessage().ToUtf8();
    } catch (...) {
        return "framework exception";
    }
    return what_.c_str();
}

CString CMemoryException::GetErrorMessage() const {
    return u"Out of memory.";
}

CString CArchiveException::GetErrorMessage() const {
    return Expand(TextFor(kArchiveTexts, m_cause), m_strFileName);
}

CString CFileException::GetErrorMessage() const {
    return Expand(TextFor(kFileTexts, m_cause), m_strFileName);
}

int CFileException::CauseOf(platform::FileError error) {
    using platform::FileError;
    switch (error) {
        case FileError::none:
            return none;
        case FileError::notFound:
            return fileNotFound;
        case FileError::badPath:
            return badPath;
        case FileError::accessDenied:
        case FileError::isDirectory:
            return accessDenied;
        case FileError::tooManyOpenFiles:
            return tooManyOpenFiles;
        case FileError::diskFull:
            return diskFull;
        case FileError::hardIO:
            return hardIO;
        case FileError::locked:
            return sharingViolation;
        case FileError::generic:
            break;
    }
    return genericException;
}

CString COleException::GetErrorMessage() const {
    if (m_sc == kArithmeticOverflowScode) {
        return u"Arithmetic result exceeded 32 bits.";
    }
    return u"An unknown error occurred.";
}

void AfxThrowMemoryException() {
    throw CMemoryException();
}

void AfxThrowArchiveException(int cause, const CString& fileName) {
    throw CArchiveException(cause, fileName);
}

void AfxThrowFileException(int cause, LONG osError, const CString& fileName) {
    throw CFileException(cause, osError, fileName);
}

void AfxThrowArithmeticOverflow() {
    throw COleException(kArithmeticOverflowScode);
}
