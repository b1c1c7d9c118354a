#include "framework/archive.h"

#include <gtest/gtest.h>

#include <variant>

#include "support/mem_env.h"

namespace {

using testing_support::Bytes;
using testing_support::MemEnv;

struct Outcome {
    std::u16string text;  // when read
    int cause = 0;        // CArchiveException cause when it fails
    bool overflow = false;
};

Outcome ReadOneString(std::vector<std::byte> bytes) {
    MemEnv env;
    env.AddFile(u"\\f", std::move(bytes));
    CFile file(env);
    EXPECT_TRUE(file.Open(u"\\f", CFile::modeRead));
    CArchive ar(&file, CArchive::load);
    Outcome out;
    try {
        CString s;
        ar >> s;
        out.text = s.str();
    } catch (const CArchiveException& e) {
        out.cause = e.m_cause;
    } catch (const COleException&) {
        out.overflow = true;
    }
    return out;
}

std::vector<std::byte> Repeat(std::vector<std::byte> head, std::size_t n, int value) {
    head.insert(head.end(), n, static_cast<std::byte>(value));
    return head;
}

TEST(ArchiveString, ReadsEveryLengthFormAndFailsAsTheFrameworkDoes) {
    struct Case {
        const char* what;
        std::vector<std::byte> bytes;
        Outcome expected;
    };
    const std::vector<Case> cases = {
        {"empty UTF-16", Bytes({0xFF, 0xFE, 0xFF, 0x00}), {u""}},
        {"empty 8-bit", Bytes({0x00}), {u""}},
        {"ab UTF-16", Bytes({0xFF, 0xFE, 0xFF, 0x02, 0x61, 0x00, 0x62, 0x00}), {u"ab"}},
        {"abc 8-bit", Bytes({0x03, 0x61, 0x62, 0x63}), {u"abc"}},
        {"Windows-1252 high bytes", Bytes({0x03, 0x80, 0xE9, 0x81}), {u"\u20AC\u00E9\u0081"}},
        {"NUL inside stays",
         Bytes({0xFF, 0xFE, 0xFF, 0x02, 0x00, 0x00, 0x41, 0x00}),
         {std::u16string(u"\0A", 2)}},
        {"8-bit with 16-bit length", Repeat(Bytes({0xFF, 0x03, 0x00}), 3, 'x'), {u"xxx"}},
        {"8-bit with 32-bit length",
         Repeat(Bytes({0xFF, 0xFF, 0xFF, 2, 0, 0, 0}), 2, 'y'),
         {u"yy"}},
        {"8-bit with 64-bit length",
         Repeat(Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0, 0, 0, 0, 0}), 1, 'z'),
         {u"z"}},
        {"64-bit length above 0x7FFFFFFF",
         Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0x80, 0, 0, 0, 0}),
         {u"", CArchiveException::genericException}},
        {"UTF-16 length of 2^31 overflows the byte count",
         Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0x80}),
         {u"", 0, true}},
        {"cut inside the prefix", Bytes({0xFF, 0xFE}), {u"", CArchiveException::endOfFile}},
        {"cut inside the characters", Bytes({0x03, 0x61}), {u"", CArchiveException::endOfFile}},
        {"nothing at all", Bytes({}), {u"", CArchiveException::endOfFile}},
        {"length far beyond the file is refused before allocating",
         Bytes({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF}),
         {u"", CArchiveException::endOfFile}},
    };
    for (const Case& c : cases) {
        const Outcome got = ReadOneString(c.bytes);
        EXPECT_EQ(got.text, c.expected.text) << c.what;
        EXPECT_EQ(got.cause, c.expected.cause) << c.what;
        EXPECT_EQ(got.overflow, c.expected.overflow) << c.what;
    }
}

TEST(ArchiveString, AfterTheMarker0xFFFEIsALength) {
    const Outcome got =
        ReadOneString(Repeat(Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFE, 0xFF}), 131068, 0x41));
    EXPECT_EQ(got.cause, 0);
    EXPECT_EQ(got.text.size(), 65534u);
}

TEST(ArchiveString, UnicodeOf328CharactersUsesTheSixteenBitPrefix) {
    const Outcome got =
        ReadOneString(Repeat(Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0x48, 0x01}), 656, 0x30));
    EXPECT_EQ(got.text.size(), 328u);
}

TEST(ArchiveRead, DeliversWhatRemainsAndWordsFailAtTheEnd) {
    MemEnv env;
    std::vector<std::byte> data = Bytes({0x8E, 0x10, 0x0D, 0x00});
    data.resize(10000, std::byte{7});
    env.AddFile(u"\\f", data);
    CFile file(env);
    ASSERT_TRUE(file.Open(u"\\f", CFile::modeRead));
    CArchive ar(&file, CArchive::load);
    DWORD magic = 0;
    ar >> magic;
    EXPECT_EQ(magic, 856206u);
    std::vector<BYTE> buffer(20000);
    EXPECT_EQ(ar.Read(buffer.data(), 0), 0u);
    EXPECT_EQ(ar.Read(buffer.data(), 5000), 5000u);
    EXPECT_EQ(ar.Read(buffer.data(), 20000), 4996u);
    EXPECT_EQ(buffer[4995], 7);
    DWORD more = 0;
    try {
        ar >> more;
        FAIL() << "no end-of-file error";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::endOfFile);
        EXPECT_EQ(e.GetErrorMessage(),
                  CString(u"Attempted to access an unnamed file past its end."));
    }
}

// Collects what it is given.
class CollectingFile : public platform::WritableFile {
public:
    std::vector<std::byte> bytes;
    platform::FileError Append(std::span<const std::byte> data) override {
        bytes.insert(bytes.end(), data.begin(), data.end());
        return platform::FileError::none;
    }
    platform::FileError Close() override { return platform::FileError::none; }
};

TEST(ArchiveTransfer, MovesBufferedAndUnbufferedBytesInOrder) {
    MemEnv env;
    std::vector<std::byte> data(20000);
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<std::byte>(i * 7);
    }
    env.AddFile(u"\\f", data);
    CFile file(env);
    ASSERT_TRUE(file.Open(u"\\f", CFile::modeRead));
    CArchive ar(&file, CArchive::load);
    DWORD first = 0;
    ar >> first;  // the buffer now holds the next 4092 bytes
    CollectingFile out;
    ULONGLONG moved = 0;
    EXPECT_EQ(ar.TransferTo(out, 10000, &moved), platform::FileError::none);
    EXPECT_EQ(moved, 10000u);
    EXPECT_TRUE(std::equal(out.bytes.begin(), out.bytes.end(), data.begin() + 4));
    EXPECT_EQ(ar.BytesRemaining(), 20000u - 4 - 10000);
    DWORD next = 0;
    ar >> next;  // reading goes on right after the moved bytes
    EXPECT_EQ(static_cast<BYTE>(next & 0xFF), static_cast<BYTE>(10004 * 7));
    // Past the end: what remains, and no more.
    CollectingFile rest;
    EXPECT_EQ(ar.TransferTo(rest, 100000, &moved), platform::FileError::none);
    EXPECT_EQ(moved, 20000u - 10008);
}

TEST(FrameworkTexts, NameTheFileOrSayUnnamed) {
    EXPECT_EQ(CArchiveException(CArchiveException::genericException).GetErrorMessage(),
              CString(u"An unknown error occurred while accessing an unnamed file."));
    EXPECT_EQ(CFileException(CFileException::accessDenied, -1, u"/x/data.vqm").GetErrorMessage(),
              CString(u"Access to /x/data.vqm was denied."));
    EXPECT_EQ(CMemoryException().GetErrorMessage(), CString(u"Out of memory."));
}

}  // namespace
