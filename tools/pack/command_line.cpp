#include "pack/command_line.h"

#include <CLI/CLI.hpp>
#include <filesystem>
#include <new>

#include "pack/file_io.h"
#include "pack/pack_error.h"
#include "pack/verbs.h"
#include "resources/resource.h"

namespace pack {

namespace {

// One line whatever the message holds (file names may carry line breaks).
std::string OneLine(std::string text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || text[i] == '\r') {
            text.replace(i, 1, text[i] == '\n' ? "\\n" : "\\r");
        }
    }
    return text;
}

void Report(VerbContext& context, const std::string& message, int status) {
    context.err << "larkspan-pack: " << OneLine(message) << '\n';
    context.status = status;
}

}  // namespace

void RunVerb(VerbContext& context, const std::function<void()>& work) {
    try {
        work();
    } catch (const PackError& e) {
        Report(context, e.what(), e.status());
    } catch (const std::filesystem::filesystem_error& e) {
        Report(context, TextOf(e.path1()) + ": " + e.code().message(), kExitBadInput);
    } catch (const std::bad_alloc&) {
        Report(context, "out of memory", kExitBadInput);
    } catch (const std::exception& e) {
        Report(context, e.what(), kExitBadInput);
    }
}

int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    VerbContext context{out, err};
    CLI::App app("Authoring tool for Larkspan template packages", "larkspan-pack");
    app.require_subcommand(1);
    // "/name" is a path on every system, never an option (CLI11 would take it for one on
    // Windows), so that a command line means the same wherever the tool runs.
    app.allow_windows_style_options(false);
    AddCreateVerb(app, context);
    AddListVerb(app, context);
    AddVerifyVerb(app, context);
    AddExtractVerb(app, context);
    AddWrapVerb(app, context);
    AddPreviewVerb(app, context);
    AddNoticesVerb(app, context);
    app.set_version_flag("--version", "larkspan-pack " LARKSPAN_VERSION_TEXT,
                         "Print the version and exit");
    app.footer(
        "Each verb's --help tells more.\n"
        "Example:\n"
        "  larkspan-pack create sample -o sample.vqm && larkspan-pack wrap --package "
        "sample.vqm -o setup\n"
        "      packs the folder sample and wraps it into the Linux installer setup");

    // CLI11 would call an unknown verb a missing one.
    const CLI::App& verbList = app;
    std::string verbs;
    bool known = false;
    for (const CLI::App* verb : verbList.get_subcommands([](const CLI::App*) { return true; })) {
        verbs += (verbs.empty() ? "" : ", ") + verb->get_name();
        known = known || (args.size() > 1 && verb->get_name() == args[1]);
    }
    if (args.size() > 1 && !args[1].empty() && args[1][0] != '-' && !known) {
        err << "larkspan-pack: unknown verb \"" << OneLine(args[1]) << "\"; the verbs are " << verbs
            << " (see --help)\n";
        return kExitBadInput;
    }
    std::vector<const char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(arg.c_str());
    }
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == 0) {
            return app.exit(e, out, err);  // --help
        }
        err << "larkspan-pack: " << OneLine(e.what()) << " (see --help)\n";
        return kExitBadInput;
    }
    return context.status;
}

}  // namespace pack
