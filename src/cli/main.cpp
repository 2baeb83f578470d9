// tavi: anti-alias rendered frames with the Tavi filter module, loaded the
// way the renderer loads it.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>

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

}  // namespace

int main(int argc, char **argv) {
    CLI::App app{"tavi: anti-alias rendered frames with the Tavi filter module"};
    app.require_subcommand(0, 1);
    std::filesystem::path moduleOption;
    bool version = false;
    app.add_option("--module", moduleOption,
                   "The filter module to load (default: tavi56.p beside this program, else the one installed "
                   "with it)");
    app.add_flag("--version", version, "Print the version and the module's description (or why none loads)");

    cli::ProcessOptions process;
    cli::addProcessCommand(app, process);
    cli::DemoOptions demo;
    cli::addDemoCommand(app, demo);
    cli::PanelOptions panel;
    cli::addPanelCommand(app, panel);
    panel.commandLine.assign(argv, argv + argc);
    // Parse errors repeat what was typed: a control character in it would
    // reach the terminal.
    app.failure_message([](const CLI::App *, const CLI::Error &e) {
        return host::shownText(e.what(), host::kShownWhole) + "\nRun with --help for more information.\n";
    });

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp &e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp &e) {
        return app.exit(e);
    } catch (const CLI::ExtrasError &e) {
        // "tavi in.png -o out.png": files given where a command belongs.
        if (app.get_subcommands().empty()) {
            std::fprintf(stderr,
                         "tavi: no command given; to anti-alias files: tavi process IN... -o OUT "
                         "(the commands are process, panel and demo; tavi --help tells more)\n");
            return cli::kExitUsage;
        }
        app.exit(e);
        return cli::kExitUsage;
    } catch (const CLI::ParseError &e) {
        app.exit(e);
        return cli::kExitUsage;
    }

    try {
        if (version) return printVersion(moduleOption);
        if (app.got_subcommand("process")) return cli::runProcess(cli::findModule(moduleOption), process);
        if (app.got_subcommand("demo")) return cli::runDemo(cli::findModule(moduleOption), demo);
        if (app.got_subcommand("panel")) return cli::runPanel(cli::findModule(moduleOption), panel);
        std::fprintf(stderr, "%s", app.help().c_str());
        return cli::kExitUsage;
    } catch (const cli::UsageError &e) {
        std::fprintf(stderr, "tavi: %s\n", host::shownText(e.what(), host::kShownWhole).c_str());
        return cli::kExitUsage;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "tavi: %s\n", host::shownText(e.what(), host::kShownWhole).c_str());
        return cli::kExitFailed;
    }
}
