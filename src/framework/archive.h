// CArchive in load mode: the framework's reader of raw little-endian words and
// length-prefixed strings over a CFile, through a buffer of its own.
#pragma once

#include <memory>

#include "framework/cstring.h"
#include "framework/exceptions.h"
#include "framework/file.h"
#include "framework/types.h"

class CArchive {
public:
    enum Mode : UINT { store = 0, load = 1 };

    CArchive(CFile* pFile, UINT nMode, int nBufSize = 4096);
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;
    // An archive not closed is abandoned silently (its file stays open).
    ~CArchive() = default;

    // The next 4 (1, 2, 8) bytes, little-endian; CArchiveException endOfFile when fewer remain.
    CArchive& operator>>(DWORD& value);
    CArchive& operator>>(int& value);
    CArchive& operator>>(BYTE& value);
    CArchive& operator>>(WORD& value);
    CArchive& operator>>(ULONGLONG& value);
    // An optional Unicode marker, a length prefix and the characters; 8-bit characters are
    // converted from Windows-1252. A length beyond the bytes that remain is refused with
    // endOfFile before anything is allocated.
    CArchive& operator>>(CString& value);

    // Delivers up to count bytes and returns the number delivered; fewer only when the data
    // ends. Large requests go straight from the file into the caller's buffer.
    UINT Read(void* buffer, UINT count);
    // Moves the next `count` bytes into `out`: what the buffer holds, then straight from
    // the file into `out`. Sets `moved`; fewer than `count` only at the end or on an error.
    platform::FileError TransferTo(platform::WritableFile& out, ULONGLONG count, ULONGLONG* moved);
    // Bytes of the file not yet delivered.
    ULONGLONG BytesRemaining() const;
    void Close();
    CFile* GetFile() const { return file_; }

    // Reads the length prefix of a string (after any marker); exposed for tests.
    static constexpr ULONGLONG kMaxStringLength = 0x7FFFFFFF;

private:
    template <typename T>
    T ReadValue();
    ULONGLONG ReadStringLength(bool* unicode);
    void Fill();

    CFile* file_;
    std::unique_ptr<BYTE[]> buffer_;
    UINT bufferSize_;
    UINT current_ = 0;    // next byte to deliver from buffer_
    UINT available_ = 0;  // bytes of buffer_ filled
    ULONGLONG consumedFromFile_ = 0;
};
