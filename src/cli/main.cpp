// tavi: anti-alias rendered frames with the Tavi filter module, loaded the
// way the renderer loads it.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <optional>
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

// The command line tavi takes: its commands and the options of each.
struct Commands {
    CLI::App app{"tavi: anti-alias rendered frames with the Tavi filter module", "tavi"};
    std::filesystem::path moduleOption;
    bool version = false;
    cli::ProcessOptions process;
    cli::DemoOptions demo;
    cli::PanelOptions panel;

    Commands(int argc, char **argv) {
        app.require_subcommand(0, 1);
        app.footer(
            "tavi help COMMAND (or tavi COMMAND --help) tells of a command. Exit status: 0 every frame done; 1 a "
            "frame or a file failed, each named, the other frames done; 2 the command line cannot work, found "
            "before any work; 130 or 143 interrupted by SIGINT or SIGTERM.");
        addModuleOption(app);
        app.add_flag("--version", version, "Print the version and the module's description (or why none loads)");
        cli::addProcessCommand(app, process);
        cli::addDemoCommand(app, demo);
        cli::addPanelCommand(app, panel);
        panel.commandLine.assign(argv, argv + argc);
        for (CLI::App *command : app.get_subcommands([](CLI::App *) { return true; })) addModuleOption(*command);
    }
    Commands(const Commands &) = delete;
    Commands &operator=(const Commands &) = delete;

private:
    // --module goes before or after the command.
    void addModuleOption(CLI::App &command) {
        command
            .add_option("--module", moduleOption,
                        "The filter module to load (default: tavi56.p beside this program, else the one installed "
                        "with it); before or after the command")
            ->type_name("FILE");
    }
};

int usageError(const std::string &message) {
    // Messages repeat what was typed: a control character in it would
    // reach the terminal.
    std::fprintf(stderr, "tavi: %s\n", host::shownText(message, host::kShownWhole).c_str());
    return cli::kExitUsage;
}

// Parses the arguments; the exit status where that ends the run (help, or
// a command line that cannot work).
std::optional<int> parse(Commands &commands, int argc, char **argv) {
    try {
        std::vector<std::string> arguments = cli::helpWordAsOption({argv + 1, argv + argc}, commands.app);
        // The parser takes them last first.
        std::reverse(arguments.begin(), arguments.end());
        commands.app.parse(std::move(arguments));
    } catch (const CLI::CallForHelp &e) {
        return commands.app.exit(e);
    } catch (const CLI::CallForAllHelp &e) {
        return commands.app.exit(e);
    } catch (const CLI::ParseError &e) {
        return usageError(cli::describeParseError(commands.app, e));
    } catch (const cli::UsageError &e) {
        return usageError(e.what());
    }
    return std::nullopt;
}

// Runs the command given; what it throws is its status.
int dispatch(Commands &commands) {
    try {
        if (commands.version) return printVersion(commands.moduleOption);
        CLI::App &app = commands.app;
        if (app.got_subcommand("process"))
            return cli::runProcess(cli::findModule(commands.moduleOption), commands.process);
        if (app.got_subcommand("demo")) return cli::runDemo(cli::findModule(commands.moduleOption), commands.demo);
        if (app.got_subcommand("panel")) return cli::runPanel(cli::findModule(commands.moduleOption), commands.panel);
        std::fprintf(stderr, "tavi: no command given\n%s", app.help().c_str());
        return cli::kExitUsage;
    } catch (const cli::UsageError &e) {
        return usageError(e.what());
    } catch (const std::exception &e) {
        std::fprintf(stderr, "tavi: %s\n", host::shownText(e.what(), host::kShownWhole).c_str());
        return cli::kExitFailed;
    }
}

int run(int argc, char **argv) {
    Commands commands(argc, argv);
    if (const std::optional<int> status = parse(commands, argc, argv)) return *status;
    return dispatch(commands);
}

}  // namespace

int main(int argc, char **argv) { return withOutputWritten(run(argc, argv)); }
