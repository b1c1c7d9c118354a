// The verbs of larkspan-pack. Each verb lives in a file of its own (verb_<name>.cpp) and adds
// its subcommand with an Add...Verb function; RunCommandLine calls them all. To add a verb,
// declare its function here, call it in command_line.cpp and list its file in CMakeLists.txt.
#pragma once

#include <functional>
#include <ostream>

namespace CLI {
class App;
}

namespace pack {

// What a verb writes to and the exit status it leaves.
struct VerbContext {
    std::ostream& out;
    std::ostream& err;
    int status = 0;
};

void AddCreateVerb(CLI::App& app, VerbContext& context);
void AddListVerb(CLI::App& app, VerbContext& context);
void AddVerifyVerb(CLI::App& app, VerbContext& context);
void AddExtractVerb(CLI::App& app, VerbContext& context);
void AddWrapVerb(CLI::App& app, VerbContext& context);
void AddPreviewVerb(CLI::App& app, VerbContext& context);
void AddNoticesVerb(CLI::App& app, VerbContext& context);

// Runs a verb's work: a PackError (or any other failure) becomes one line on the error
// stream and the exit status.
void RunVerb(VerbContext& context, const std::function<void()>& work);

}  // namespace pack
