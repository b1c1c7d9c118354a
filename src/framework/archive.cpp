#include "framework/archive.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <string>

#include "framework/memory.h"
#include "platform/coding.h"
#include "platform/text.h"

CArchive::CArchive(CFile* pFile, UINT nMode, int nBufSize)
    : file_(pFile), bufferSize_(static_cast<UINT>(std::max(nBufSize, 16))) {
    (void)nMode;  // only load mode exists here
    buffer_ = AfxAllocBuffer(bufferSize_);
}

void CArchive::Fill() {
    // Keep what is left, then top the buffer up from the file.
    const UINT left = available_ - current_;
    std::memmove(buffer_.get(), buffer_.get() + current_, left);
    current_ = 0;
    available_ = left;
    const UINT got = file_->Read(buffer_.get() + left, bufferSize_ - left);
    available_ += got;
    consumedFromFile_ += got;
}

template <typename T>
T CArchive::ReadValue() {
    if (available_ - current_ < sizeof(T)) {
        Fill();
        if (available_ - current_ < sizeof(T)) {
            AfxThrowArchiveException(CArchiveException::endOfFile);
        }
    }
    const T value =
        platform::DecodeFixed<T>(std::as_bytes(std::span(buffer_.get() + current_, sizeof(T))));
    current_ += sizeof(T);
    return value;
}

CArchive& CArchive::operator>>(DWORD& value) {
    value = ReadValue<DWORD>();
    return *this;
}

CArchive& CArchive::operator>>(int& value) {
    value = static_cast<int>(ReadValue<DWORD>());
    return *this;
}

CArchive& CArchive::operator>>(BYTE& value) {
    value = ReadValue<BYTE>();
    return *this;
}

CArchive& CArchive::operator>>(WORD& value) {
    value = ReadValue<WORD>();
    return *this;
}

CArchive& CArchive::operator>>(ULONGLONG& value) {
    value = ReadValue<ULONGLONG>();
    return *this;
}

ULONGLONG CArchive::ReadStringLength(bool* unicode) {
    *unicode = false;
    const BYTE b = ReadValue<BYTE>();
    if (b < 0xFF) {
        return b;
    }
    WORD w = ReadValue<WORD>();
    if (w == 0xFFFE) {
        // The Unicode marker; a second 0xFFFE after it is a length.
        *unicode = true;
        const BYTE b2 = ReadValue<BYTE>();
        if (b2 < 0xFF) {
            return b2;
        }
        w = ReadValue<WORD>();
    }
    if (w < 0xFFFF) {
        return w;
    }
    const DWORD d = ReadValue<DWORD>();
    if (d < 0xFFFFFFFF) {
        return d;
    }
    const ULONGLONG q = ReadValue<ULONGLONG>();
    if (q > kMaxStringLength) {
        AfxThrowArchiveException(CArchiveException::genericException);
    }
    return q;
}

CArchive& CArchive::operator>>(CString& value) {
    bool unicode = false;
    const ULONGLONG length = ReadStringLength(&unicode);
    const ULONGLONG bytes = unicode ? length * 2 : length;
    if (bytes > 0xFFFFFFFFull) {
        AfxThrowArithmeticOverflow();
    }
    if (bytes > BytesRemaining()) {
        AfxThrowArchiveException(CArchiveException::endOfFile);
    }
    const auto buffer = AfxAllocBuffer(bytes);
    if (Read(buffer.get(), static_cast<UINT>(bytes)) != bytes) {
        AfxThrowArchiveException(CArchiveException::endOfFile);
    }
    if (unicode) {
        const auto units = std::as_bytes(std::span(buffer.get(), static_cast<std::size_t>(bytes)));
        std::u16string text(static_cast<std::size_t>(length), u'\0');
        for (std::size_t i = 0; i < text.size(); ++i) {
            text[i] = static_cast<char16_t>(platform::DecodeFixed16(units.subspan(2 * i)));
        }
        value = CString(std::move(text));
    } else {
        value = CString(platform::ThreadAnsiToUtf16(std::string_view(
            reinterpret_cast<const char*>(buffer.get()), static_cast<std::size_t>(bytes))));
    }
    return *this;
}

UINT CArchive::Read(void* buffer, UINT count) {
    auto* out = static_cast<BYTE*>(buffer);
    UINT done = 0;
    // First what the buffer holds.
    const UINT fromBuffer = std::min(count, available_ - current_);
    std::memcpy(out, buffer_.get() + current_, fromBuffer);
    current_ += fromBuffer;
    done += fromBuffer;
    // Whole buffers' worth straight from the file.
    if (count - done >= bufferSize_) {
        const UINT direct = file_->Read(out + done, count - done);
        consumedFromFile_ += direct;
        done += direct;
        if (done < count) {
            return done;
        }
    }
    // The rest through the buffer.
    while (done < count) {
        Fill();
        const UINT n = std::min(count - done, available_ - current_);
        if (n == 0) {
            break;
        }
        std::memcpy(out + done, buffer_.get() + current_, n);
        current_ += n;
        done += n;
    }
    return done;
}

platform::FileError CArchive::TransferTo(platform::WritableFile& out, ULONGLONG count,
                                         ULONGLONG* moved) {
    const UINT fromBuffer = static_cast<UINT>(std::min<ULONGLONG>(count, available_ - current_));
    *moved = 0;
    if (fromBuffer != 0) {
        const auto bytes =
            std::span(reinterpret_cast<const std::byte*>(buffer_.get() + current_), fromBuffer);
        if (const auto error = out.Append(bytes); error != platform::FileError::none) {
            return error;
        }
        current_ += fromBuffer;
        *moved = fromBuffer;
    }
    if (*moved == count) {
        return platform::FileError::none;
    }
    ULONGLONG direct = 0;
    const auto error = file_->TransferTo(out, count - *moved, &direct);
    consumedFromFile_ += direct;
    *moved += direct;
    return error;
}

ULONGLONG CArchive::BytesRemaining() const {
    const ULONGLONG length = file_->GetLength();
    const ULONGLONG unread = length > consumedFromFile_ ? length - consumedFromFile_ : 0;
    return unread + (available_ - current_);
}

void CArchive::Close() {
    buffer_.reset();
    current_ = available_ = 0;
}
