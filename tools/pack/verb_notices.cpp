// notices FILE: prints the licence notices an installer stub or installer carries (the
// notices of the libraries linked into it, which every installer hands out with it).
#include <CLI/CLI.hpp>
#include <memory>

#include "pack/file_io.h"
#include "pack/pack_error.h"
#include "pack/stub_notices.h"
#include "pack/verbs.h"

namespace pack {

void AddNoticesVerb(CLI::App& app, VerbContext& context) {
    auto file = std::make_shared<std::string>();
    CLI::App* verb = app.add_subcommand(
        "notices",
        "Print the licence notices of the libraries an installer stub or installer carries");
    verb->add_option("FILE", *file, "An installer stub or an installer (Linux or Windows)")
        ->required();
    verb->footer(
        "Example:\n"
        "  larkspan-pack notices /usr/lib/larkspan/linux/larkspan\n"
        "      prints the notices that every installer made from the stub carries");
    verb->callback([&context, file] {
        RunVerb(context, [&] {
            const std::optional<std::string> notices =
                FindStubNotices(ReadWholeFile(PathFromText(*file)));
            if (!notices) {
                throw PackError(*file +
                                ": carries no licence notices (not a Larkspan installer "
                                "stub or installer)");
            }
            context.out << *notices;
            if (!notices->empty() && notices->back() != '\n') {
                context.out << '\n';
            }
        });
    });
}

}  // namespace pack
