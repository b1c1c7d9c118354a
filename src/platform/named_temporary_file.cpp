#include "platform/named_temporary_file.h"

#include <utility>

namespace platform {

namespace {

class NamedTemporaryFile final : public UnnamedFile {
public:
    NamedTemporaryFile(Env& env, Path path, std::unique_ptr<WritableFile> file)
        : env_(env), path_(std::move(path)), file_(std::move(file)) {}
    NamedTemporaryFile(const NamedTemporaryFile&) = delete;
    NamedTemporaryFile& operator=(const NamedTemporaryFile&) = delete;
    ~NamedTemporaryFile() override {
        if (file_ != nullptr) {
            file_->Close();
        }
        if (!named_) {
            env_.RemoveFile(path_);
        }
    }

    WritableFile& Contents() override { return *file_; }

    FileError CloseAndName(const Path& to) override {
        const FileError closed = file_->Close();
        file_.reset();
        if (closed != FileError::none) {
            return closed;
        }
        const FileError moved = env_.ReplaceFile(path_, to);
        named_ = moved == FileError::none;
        return moved;
    }

private:
    Env& env_;
    Path path_;
    std::unique_ptr<WritableFile> file_;
    bool named_ = false;
};

}  // namespace

FileError CreateNamedTemporaryFile(Env& env, const Path& folder,
                                   std::unique_ptr<UnnamedFile>* file) {
    Path path;
    std::unique_ptr<WritableFile> written;
    if (const FileError e = env.CreateTemporaryFile(folder, &path, &written);
        e != FileError::none) {
        return e;
    }
    *file = std::make_unique<NamedTemporaryFile>(env, std::move(path), std::move(written));
    return FileError::none;
}

}  // namespace platform
