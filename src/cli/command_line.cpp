#include "cli/command_line.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "cli/usage_error.h"

namespace tavi::cli {

namespace {

// Edits from one to the other, a swap of two neighbours counting as one
// (optimal string alignment).
std::size_t editDistance(const std::string &a, const std::string &b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i)
        for (std::size_t j = 1; j <= b.size(); ++j) {
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[a.size()][b.size()];
}

// The commands, as --help lists them.
std::vector<std::string> commandNames(const CLI::App &app) {
    std::vector<std::string> names;
    for (const CLI::App *sub : app.get_subcommands([](const CLI::App *) { return true; }))
        names.push_back(sub->get_name());
    return names;
}

std::string listed(const std::vector<std::string> &names) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
    return text;
}

// Every spelling of the options of `app` that --help shows: --long, -s.
std::vector<std::string> optionNames(const CLI::App &app) {
    std::vector<std::string> names;
    for (const CLI::Option *option : app.get_options()) {
        if (option->get_group().empty()) continue;  // hidden
        for (const std::string &name : option->get_lnames()) names.push_back("--" + name);
        for (const std::string &name : option->get_snames()) names.push_back("-" + name);
    }
    return names;
}

bool hasOption(const CLI::App &app, const std::string &name) {
    const std::vector<std::string> names = optionNames(app);
    return std::find(names.begin(), names.end(), name) != names.end();
}

const CLI::App *commandGiven(const CLI::App &app) {
    const std::vector<CLI::App *> given = app.get_subcommands();
    return given.empty() ? nullptr : given.front();
}

std::string helpFor(const CLI::App *command) {
    return command ? "tavi " + command->get_name() + " --help lists its options" : "tavi --help lists the options";
}

std::string unknownOption(const CLI::App &app, const CLI::App *command, const std::string &typed) {
    const std::string name = typed.substr(0, typed.find('='));
    // Left over by the top of the command line: typed before the command.
    if (command && hasOption(*command, name))
        return name + " goes after the command: tavi " + command->get_name() + " ... " + name;
    // An option of another command, or of a command given before it.
    std::vector<std::string> owners;
    for (const CLI::App *sub : app.get_subcommands([](const CLI::App *) { return true; }))
        if (sub != command && hasOption(*sub, name)) owners.push_back(sub->get_name());
    if (!owners.empty())
        return name + " is an option of " + (owners.size() == 1 ? "the command " : "the commands ") + listed(owners) +
               (command ? ", not of " + command->get_name()
                        : "; give it after the command: tavi " + owners.front() + " ... " + name);
    std::vector<std::string> known = optionNames(command ? *command : app);
    if (const std::optional<std::string> near = nearestName(name, known))
        return "unknown option " + name + "; did you mean " + *near + "?";
    return "unknown option " + name + " (" + helpFor(command) + ")";
}

// `typed` where a command belongs; `files` when it may be the first of
// the files to work on.
std::string unknownCommand(const CLI::App &app, const std::string &typed, bool files) {
    const std::vector<std::string> commands = commandNames(app);
    const std::string commandList = "the commands are " + listed(commands) + "; tavi --help tells more";
    if (const std::optional<std::string> near = nearestName(typed, commands))
        return "unknown command " + typed + "; did you mean " + *near + "?";
    // "tavi in.png -o out.png": files given where a command belongs.
    std::error_code error;
    if (files && (std::filesystem::exists(typed, error) || typed.find_first_of("./") != std::string::npos))
        return "no command given; to anti-alias files: tavi process IN... -o OUT (" + commandList + ")";
    return "unknown command " + typed + " (" + commandList + ")";
}

// What the command line holds that no command or option takes.
std::string extras(const CLI::App &app) {
    const std::vector<std::string> left = app.remaining(true);
    const CLI::App *command = commandGiven(app);
    if (left.empty()) return "the command line holds more than tavi takes (" + helpFor(command) + ")";
    const std::string &first = left.front();
    if (first.size() > 1 && first[0] == '-') return unknownOption(app, command, first);
    if (!command) return unknownCommand(app, first, true);
    return command->get_name() + " does not take the argument " + first + " (" + helpFor(command) + ")";
}

// The option named first in a parser's sentence: "--chunk: 1 required
// I/N missing", "--strength: At Most 1 required but received 2".
std::string namedFirst(const std::string &sentence) { return sentence.substr(0, sentence.find(':')); }

std::string required(const CLI::App &app) {
    const CLI::App *command = commandGiven(app);
    const CLI::App &where = command ? *command : app;
    for (const CLI::Option *option : where.get_options()) {
        if (!option->get_required() || option->count() > 0) continue;
        const std::string usage = where.get_name() == "process" ? "tavi process IN... -o OUT"
                                  : where.get_name() == "panel" ? "tavi panel IN"
                                                                : "tavi " + where.get_name();
        if (option->get_positional()) return where.get_name() + " needs the files to work on (" + usage + ")";
        return where.get_name() + " needs " + option->get_name() + " (" + usage + ")";
    }
    return where.get_name() + " lacks something it needs (" + helpFor(command) + ")";
}

}  // namespace

std::optional<std::string> nearestName(const std::string &typed, const std::vector<std::string> &known) {
    // Two edits for a long word, one for a short one: beyond that a
    // suggestion is a guess.
    const std::size_t most = typed.size() > 5 ? 2 : 1;
    std::optional<std::string> best;
    std::size_t bestDistance = most + 1;
    for (const std::string &name : known) {
        const std::size_t distance = editDistance(typed, name);
        if (distance < bestDistance) {
            best = name;
            bestDistance = distance;
        }
    }
    // A prefix of a longer name, such as --thresh.
    if (!best && typed.size() >= 4)
        for (const std::string &name : known)
            if (name.starts_with(typed)) return name;
    return best;
}

std::string describeParseError(const CLI::App &app, const CLI::ParseError &error) {
    const std::string what = error.what();
    if (dynamic_cast<const CLI::ExtrasError *>(&error)) return extras(app);
    if (dynamic_cast<const CLI::RequiredError *>(&error)) return required(app);
    if (dynamic_cast<const CLI::ArgumentMismatch *>(&error)) {
        const std::string name = namedFirst(what);
        if (what.find("At Most") != std::string::npos) return name + " is given more than once; give it once";
        if (what.find(" missing") != std::string::npos) return name + " needs a value";
        return name + ": the wrong number of values (" + helpFor(commandGiven(app)) + ")";
    }
    if (dynamic_cast<const CLI::ConversionError *>(&error)) {
        // "Could not convert: --quiet = maybe", "--quiet: too many inputs
        // for a flag", "--quiet: Should be true/false or a number".
        constexpr std::string_view prefix = "Could not convert: ";
        if (what.starts_with(prefix)) {
            const std::string rest = what.substr(prefix.size());
            const std::size_t equals = rest.find(" = ");
            if (equals != std::string::npos)
                return rest.substr(0, equals) + " does not take the value " + rest.substr(equals + 3);
        }
        return namedFirst(what) + " is a switch and takes no value";
    }
    // The checks of values are ours, and say what is wrong after the
    // option's name: "--strength: 150 is not in the range 0 to 100".
    if (dynamic_cast<const CLI::ValidationError *>(&error)) return what;
    return "cannot read the command line (" + what + "; " + helpFor(commandGiven(app)) + ")";
}

std::vector<std::string> helpWordAsOption(std::vector<std::string> arguments, const CLI::App &app) {
    // The first argument that is no option nor --module's value is where
    // the command is.
    std::size_t at = 0;
    while (at < arguments.size() && arguments[at].starts_with('-')) at += arguments[at] == "--module" ? 2 : 1;
    if (at >= arguments.size() || arguments[at] != "help") return arguments;
    std::vector<std::string> rewritten(arguments.begin(), arguments.begin() + std::ptrdiff_t(at));
    if (at + 1 < arguments.size()) {
        const std::string &topic = arguments[at + 1];
        const std::vector<std::string> commands = commandNames(app);
        if (std::find(commands.begin(), commands.end(), topic) == commands.end())
            throw UsageError(unknownCommand(app, topic, false));
        rewritten.push_back(topic);
    }
    rewritten.push_back("--help");
    return rewritten;
}

}  // namespace tavi::cli
