// The behaviours every Env must show, whichever system it runs on: one suite, instantiated
// for each Env that a platform builds (the in-memory one of the tests, the system's own).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/env.h"
#include "support/mem_env.h"

namespace platform_test {

// A fresh Env and a folder of it in which the test may create what it likes; whatever is
// needed to keep the folder alive lives in `keep` and goes with the object.
struct EnvUnderTest {
    std::shared_ptr<platform::Env> env;
    platform::Path root;
    std::shared_ptr<void> keep;
    // The names directly in `root` as the system lists them (files and folders), sorted.
    std::function<std::vector<std::u16string>()> names;
};

struct EnvFactory {
    std::string name;
    std::function<EnvUnderTest()> make;
};

// The tests' in-memory Env, which every platform's suite runs beside the system's own: a test
// Env that behaved otherwise would let tests pass that the system fails.
inline EnvUnderTest MemoryEnv() {
    auto env = std::make_shared<testing_support::MemEnv>();
    env->folders.insert(u"\\mem");
    const auto names = [mem = env.get()] {
        std::vector<std::u16string> found;
        const auto add = [&found](const platform::Path& path) {
            if (path.starts_with(u"\\mem\\") && path.find(u'\\', 5) == platform::Path::npos) {
                found.push_back(path.substr(5));
            }
        };
        for (const auto& [path, bytes] : mem->files) {
            add(path);
        }
        for (const platform::Path& path : mem->folders) {
            add(path);
        }
        std::sort(found.begin(), found.end());
        return found;
    };
    return {env, u"\\mem", nullptr, names};
}

// The names directly in a folder of the disk, sorted.
inline std::vector<std::u16string> NamesIn(const std::filesystem::path& folder) {
    std::vector<std::u16string> found;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        found.push_back(entry.path().filename().u16string());
    }
    std::sort(found.begin(), found.end());
    return found;
}

// The suite's parameters for a platform: the in-memory Env and the system's own (in each of
// its ways).
template <typename... Systems>
auto EnvsOf(Systems... systems) {
    return testing::Values(EnvFactory{"memory", MemoryEnv}, std::move(systems)...);
}

inline std::string EnvName(const testing::TestParamInfo<EnvFactory>& info) {
    return info.param.name;
}

// Bytes of a text, for short file contents.
inline std::vector<std::byte> Text(std::string_view text) {
    std::vector<std::byte> out;
    for (char c : text) {
        out.push_back(static_cast<std::byte>(c));
    }
    return out;
}

class EnvConformance : public testing::TestWithParam<EnvFactory> {
protected:
    void SetUp() override { under_ = GetParam().make(); }

    platform::Env& env() { return *under_.env; }
    std::vector<std::u16string> Listed() const { return under_.names(); }
    const platform::Path& Root() const { return under_.root; }
    platform::Path At(std::u16string_view name) const {
        return under_.root + u"\\" + platform::Path(name);
    }

    void Write(const platform::Path& path, std::string_view text) {
        std::unique_ptr<platform::WritableFile> file;
        ASSERT_EQ(env().CreateTruncated(path, &file), platform::FileError::none);
        ASSERT_EQ(file->Append(Text(text)), platform::FileError::none);
        ASSERT_EQ(file->Close(), platform::FileError::none);
    }

    std::string ReadAll(const platform::Path& path, std::size_t piece = 4096) {
        std::unique_ptr<platform::SequentialFile> file;
        EXPECT_EQ(env().OpenSequential(path, &file), platform::FileError::none);
        if (!file) {
            return "<cannot open>";
        }
        std::string out;
        std::vector<std::byte> buffer(piece);
        for (;;) {
            std::size_t got = 0;
            EXPECT_EQ(file->Read(buffer, &got), platform::FileError::none);
            for (std::size_t i = 0; i < got; ++i) {
                out += static_cast<char>(buffer[i]);
            }
            if (got < piece) {
                return out;
            }
        }
    }

private:
    EnvUnderTest under_;
};

}  // namespace platform_test
