// The sample package cut at every offset: each cut ends in the end-of-file error, never in
// a crash, a hang or a package read as whole.
#include <gtest/gtest.h>

#include <cstring>

#include "framework/archive.h"
#include "framework/file.h"
#include "pack/source_folder.h"
#include "pack_fixture.h"
#include "support/mem_env.h"

namespace pack_testing {
namespace {

// Serves the first `size` bytes of one buffer without copying them.
class PrefixFile final : public platform::SequentialFile {
public:
    explicit PrefixFile(std::span<const std::byte> bytes) : bytes_(bytes) {}
    platform::FileError Read(std::span<std::byte> buffer, std::size_t* delivered) override {
        const std::size_t n = std::min(buffer.size(), bytes_.size() - at_);
        if (n != 0) {
            std::memcpy(buffer.data(), bytes_.data() + at_, n);
        }
        at_ += n;
        *delivered = n;
        return platform::FileError::none;
    }
    std::uint64_t Length() const override { return bytes_.size(); }

private:
    std::span<const std::byte> bytes_;
    std::size_t at_ = 0;
};

class PrefixEnv final : public testing_support::MemEnv {
public:
    std::span<const std::byte> bytes;
    platform::FileError OpenSequential(const platform::Path&,
                                       std::unique_ptr<platform::SequentialFile>* file) override {
        *file = std::make_unique<PrefixFile>(bytes);
        return platform::FileError::none;
    }
};

struct Outcome {
    bool whole = false;
    int cause = -1;  // CArchiveException cause, or -1
    ReadProgress progress;
};

Outcome ReadPrefix(PrefixEnv& env, std::span<const std::byte> bytes) {
    env.bytes = bytes;
    CFile file(env);
    EXPECT_TRUE(file.Open(u"\\p.vqm", CFile::modeRead));
    CArchive ar(&file, CArchive::load);
    Outcome outcome;
    Package package;
    try {
        outcome.whole = ReadPackage(ar, package, &outcome.progress);
    } catch (const CArchiveException& e) {
        outcome.cause = e.m_cause;
    }
    return outcome;
}

TEST(Truncation, EveryCutOfTheSampleEndsInTheEndOfFileError) {
    const std::vector<std::byte> package = WritePackage(pack::BuildPackage(SampleFolder()));
    ASSERT_GT(package.size(), 10000u);
    PrefixEnv env;

    const Outcome whole = ReadPrefix(env, package);
    EXPECT_TRUE(whole.whole);
    EXPECT_EQ(whole.progress.offset, package.size());

    std::size_t wrong = 0;
    for (std::size_t cut = 0; cut < package.size(); ++cut) {
        const Outcome o = ReadPrefix(env, std::span(package).first(cut));
        // The field named is one that begins at or before the cut.
        if (o.whole || o.cause != CArchiveException::endOfFile || o.progress.offset > cut) {
            if (wrong++ < 5) {
                ADD_FAILURE() << "cut at " << cut << ": cause " << o.cause << ", stopped in "
                              << o.progress.field << " at " << o.progress.offset;
            }
        }
    }
    EXPECT_EQ(wrong, 0u);
}

}  // namespace
}  // namespace pack_testing
