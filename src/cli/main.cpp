// tavi: anti-alias rendered frames with the Tavi filter module, loaded the
// way the renderer loads it.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/demo_command.h"
#include "host/loader/filter_module.h"
#include "host/loader/hosted_filter.h"
#include "cli/module_path.h"
#include "cli/panel_command.h"
#include "cli/process_command.h"
#include "cli/usage_error.h"
#include "host/base/shown_text.h"

#ifndef TAVI_HOST_VERSION
#define TAVI_HOST_VERSION "unknown"
#endif

using namespace tavi;

namespace {

// The command's version, then the module it would load. Without a usable
// module the version is still told, with the reason on the module's line.
int printVersion(const std::filesystem::path &moduleOption) {
    std::printf("tavi %s\n", TAVI_HOST_VERSION);
    try {
        host::FilterModule module(cli::findModule(moduleOption));
        host::HostedFilter filter(module);
        std::printf("module %s: image filter \"%s\", describes itself as \"%s\"\n", module.file().string().c_str(),
                    module.serverName().c_str(), filter.describe().c_str());
    } catch (const std::exception &e) {
        std::printf("module: none loaded: %s\n", e.what());
    }
    return cli::kExitOk;
}

// The status, or 1 where what was printed could not all be written (a full
// disk, a closed pipe): a caller must not take a plan or a report it never
// got for a success.
int withOutputWritten(int status) {
    const bool failed = std::fflush(stdout) != 0;
    const int error = errno;
    if (!failed && !std::ferror(stdout)) return status;
    std::fprintf(stderr, "tavi: cannot write the standard output (%s)\n",
                 failed ? std::strerror(error) : "a write failed");
    return status == cli::kExitOk ? cli::kExitFailed : status;
}

int run(int argc, char **argv) {
    CLI::App app{"tavi: anti-alias rendered frames with the Tavi filter module", "tavi"};
    app.require_subcommand(0, 1);
    app.footer(
        "tavi help COMMAND (or tavi COMMAND --help) tells of a command. Exit status: 0 every frame done; 1 a frame "
        "or a file failed, each named, the other frames done; 2 the command line cannot work, found before any "
        "work; 130 or 143 interrupted by SIGINT or SIGTERM.");
    std::filesystem::path moduleOption;
    bool version = false;
    const auto addModuleOption = [&](CLI::App &command) {
        command
            .add_option("--module", moduleOption,
                        "The filter module to load (default: tavi56.p beside this program, else the one installed "
                        "with it); before or after the command")
            ->type_name("FILE");
    };
    addModuleOption(app);
    app.add_flag("--version", version, "Print the version and the module's description (or why none loads)");

    cli::ProcessOptions process;
    cli::addProcessCommand(app, process);
    cli::DemoOptions demo;
    cli::addDemoCommand(app, demo);
    cli::PanelOptions panel;
    cli::addPanelCommand(app, panel);
    panel.commandLine.assign(argv, argv + argc);
    for (CLI::App *command : app.get_subcommands([](CLI::App *) { return true; })) addModuleOption(*command);

    try {
        std::vector<std::string> arguments = cli::helpWordAsOption({argv + 1, argv + argc}, app);
        // The parser takes them last first.
        std::reverse(arguments.begin(), arguments.end());
        app.parse(std::move(arguments));
    } catch (const CLI::CallForHelp &e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp &e) {
        return app.exit(e);
    } catch (const CLI::ParseError &e) {
        // Parse errors repeat what was typed: a control character in it
        // would reach the terminal.
        std::fprintf(stderr, "tavi: %s\n", host::shownText(cli::describeParseError(app, e), host::kShownWhole).c_str());
        return cli::kExitUsage;
    } catch (const cli::UsageError &e) {
        std::fprintf(stderr, "tavi: %s\n", host::shownText(e.what(), host::kShownWhole).c_str());
        return cli::kExitUsage;
    }

    try {
        if (version) return printVersion(moduleOption);
        if (app.got_subcommand("process")) return cli::runProcess(cli::findModule(moduleOption), process);
        if (app.got_subcommand("demo")) return cli::runDemo(cli::findModule(moduleOption), demo);
        if (app.got_subcommand("panel")) return cli::runPanel(cli::findModule(moduleOption), panel);
        std::fprintf(stderr, "tavi: no command given\n%s", app.help().c_str());
        return cli::kExitUsage;
    } catch (const cli::UsageError &e) {
        std::fprintf(stderr, "tavi: %s\n", host::shownText(e.what(), host::kShownWhole).c_str());
        return cli::kExitUsage;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "tavi: %s\n", host::shownText(e.what(), host::kShownWhole).c_str());
        return cli::kExitFailed;
    }
}

}  // namespace

int main(int argc, char **argv) { return withOutputWritten(run(argc, argv)); }
