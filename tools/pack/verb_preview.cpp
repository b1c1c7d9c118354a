// preview FILE -o OUT.png [--frame WxH]: the title image as the installer's image window
// shows it, painted into a frame of the dialog's picture size and written as a PNG file.
// FILE is a package, an installer (its SETUP 129 payload) or a picture file itself.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <regex>
#include <span>
#include <system_error>
#include <vector>

#include "framework/archive.h"
#include "framework/exceptions.h"
#include "framework/file.h"
#include "framework/wnd.h"
#include "imaging/q_image_wnd.h"
#include "pack/file_io.h"
#include "pack/pack_error.h"
#include "pack/package_file.h"
#include "pack/verbs.h"
#include "package/package_archive.h"
#include "platform/picture_file.h"
#include "platform/tool_system.h"
#include "ui/offscreen/offscreen_window.h"

namespace pack {

namespace fs = std::filesystem;

namespace {

// The install dialog's picture frame: 6 x 13 base units per dialog unit.
constexpr int kDefaultFrameWidth = 340;
constexpr int kDefaultFrameHeight = 251;
constexpr int kMaxFrameSide = 8192;
constexpr int kFrameId = 1000;

struct PreviewOptions {
    std::string file;
    std::string output;
    std::string frame =
        std::to_string(kDefaultFrameWidth) + "x" + std::to_string(kDefaultFrameHeight);
};

struct FrameSize {
    int width = 0;
    int height = 0;
};

FrameSize ParseFrame(const std::string& text) {
    static const std::regex kForm("([0-9]{1,5})x([0-9]{1,5})");
    std::smatch m;
    if (std::regex_match(text, m, kForm)) {
        const FrameSize size{std::stoi(m[1]), std::stoi(m[2])};
        if (size.width >= 1 && size.height >= 1 && size.width <= kMaxFrameSide &&
            size.height <= kMaxFrameSide) {
            return size;
        }
    }
    throw PackError("--frame " + text + ": expected WIDTHxHEIGHT, each from 1 to " +
                    std::to_string(kMaxFrameSide));
}

std::vector<std::uint8_t> FirstBytes(const fs::path& path, std::size_t count) {
    const UniqueFile file = OpenForReading(path);
    std::vector<std::uint8_t> bytes(count);
    bytes.resize(std::fread(bytes.data(), 1, count, file.get()));
    return bytes;
}

// The title image's bytes (empty when the package has none), read as the installer's header
// preview reads them: the header fields, then the title image entry.
std::vector<std::byte> ReadTitleImage(const fs::path& path) {
    const PackageRange range = LocatePackage(path);
    const std::unique_ptr<platform::Env> env = OpenPackageEnv(path, range);
    CFile file(*env);
    CFileException error;
    if (!file.Open(u"package", CFile::modeRead, &error)) {
        throw PackError(TextOf(path) + ": cannot read: " + error.GetErrorMessage().ToUtf8());
    }
    CArchive ar(&file, CArchive::load);
    const std::string what = range.installer ? "the installer's payload" : "the file";
    try {
        if (ReadMagic(ar) != kPackageMagic) {
            throw PackError(TextOf(path) + ": " + what +
                            " is neither a package nor a picture the installer can show");
        }
        PackageHeader header;
        ReadHeaderFields(ar, header);
        const TitleImageHead head = ReadTitleImageHead(ar);
        std::vector<std::byte> image(head.size);
        if (head.size != 0) {
            const std::unique_ptr<BYTE[]> data = ReadEntryData(ar, head.size);
            std::memcpy(image.data(), data.get(), head.size);
        }
        return image;
    } catch (const CException& e) {
        throw PackError(TextOf(path) +
                        ": damaged package header or title image: " + e.GetErrorMessage().ToUtf8());
    }
}

// The decoder, remembering the size of what it last decoded.
class SizeRecordingDecoder final : public platform::ImageDecoder {
public:
    explicit SizeRecordingDecoder(platform::ImageDecoder& inner) : inner_(inner) {}
    platform::DecodedImage Decode(std::span<const std::uint8_t> file) override {
        platform::DecodedImage image = inner_.Decode(file);
        width = image.width;
        height = image.height;
        return image;
    }
    int width = 0;
    int height = 0;

private:
    platform::ImageDecoder& inner_;
};

// Paints what the image window shows for the picture file's bytes (its dark frame alone
// when there are none) into a frame of this size, through the window itself.
ui::OffscreenSurface PaintFrame(platform::Env& env, platform::ImageDecoder& decoder,
                                std::span<const std::byte> picture, FrameSize frame) {
    ui::OffscreenWindow host(ui::Rect{0, 0, frame.width, frame.height});
    host.SetControlRect(kFrameId, ui::Rect{0, 0, frame.width, frame.height});
    CWnd dialog;
    dialog.AttachToControl(&host, 0);
    CStatic frameControl;
    frameControl.AttachToControl(&host, kFrameId);
    CQImageWnd window(env, decoder);
    if (!window.CreateOver(frameControl, &dialog)) {
        throw PackError("cannot create the image window");
    }
    if (!picture.empty()) {
        window.SetImage(
            std::span(reinterpret_cast<const std::uint8_t*>(picture.data()), picture.size()));
    }
    return host.PaintChild(CQImageWnd::IDC_IMAGE_WINDOW);
}

void Preview(VerbContext& context, const PreviewOptions& o) {
    const FrameSize frame = ParseFrame(o.frame);
    const fs::path input = PathFromText(o.file);
    std::error_code ec;
    if (!fs::is_regular_file(Sys(input), ec)) {
        throw PackError(o.file + ": not a regular file");
    }
    const std::unique_ptr<platform::ImageDecoder> decoder = platform::tool::NewInstallerDecoder();
    SizeRecordingDecoder recording(*decoder);

    std::vector<std::byte> image;
    const bool pictureFile =
        platform::PictureFormatOf(FirstBytes(input, 8)) != platform::PictureFormat::unknown;
    if (pictureFile) {
        image = ReadWholeFile(input, platform::kMaxPictureBytes);
    } else {
        image = ReadTitleImage(input);
    }
    // The image window reads no file: it is handed the picture's bytes.
    const std::unique_ptr<platform::Env> noFiles = EnvWithoutFiles();
    const ui::OffscreenSurface surface = PaintFrame(*noFiles, recording, image, frame);
    const std::vector<std::uint8_t> png =
        platform::tool::EncodePng(surface.width(), surface.height(), surface.rgba().data());
    if (png.empty()) {
        throw PackError(o.output + ": cannot encode the preview");
    }
    UnnamedFile out(PathFromText(o.output));
    out.Write(std::as_bytes(std::span(png)));
    out.CloseAndName();

    context.out << o.output << ": " << frame.width << "x" << frame.height << " frame, ";
    if (image.empty()) {
        context.out << "no title image (the frame stays dark)\n";
    } else if (recording.width <= 0) {
        context.out << (pictureFile ? "the picture" : "the title image") << " (" << image.size()
                    << " bytes) cannot be decoded (the frame stays dark)\n";
    } else {
        context.out << (pictureFile ? "picture " : "title image ") << recording.width << "x"
                    << recording.height << "\n";
    }
}

}  // namespace

void AddPreviewVerb(CLI::App& app, VerbContext& context) {
    auto options = std::make_shared<PreviewOptions>();
    CLI::App* verb = app.add_subcommand(
        "preview", "Paint the title image as the installer's image window shows it, into a PNG");
    verb->add_option("FILE", options->file, "A package, an installer or a picture file")
        ->required();
    verb->add_option("-o,--output", options->output, "The PNG file to write")->required();
    verb->add_option("--frame", options->frame, "The frame's size in pixels, WIDTHxHEIGHT")
        ->capture_default_str();
    verb->footer(
        "Example:\n  larkspan-pack preview sample.vqm -o title.png --frame 680x502\n      paints "
        "the title image as a frame twice the default size shows it");
    verb->callback([&context, options] { RunVerb(context, [&] { Preview(context, *options); }); });
}

}  // namespace pack
