// The command line's faults in the command's own words: what the parser
// finds (an unknown command or option, with the nearest known one; a
// missing or repeated value; a value a check refused) said as the rest of
// the command says things, after "tavi: ".
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
class ParseError;
}  // namespace CLI

namespace tavi::cli {

// What is wrong with the command line `app` could not parse, without the
// "tavi: " in front.
std::string describeParseError(const CLI::App &app, const CLI::ParseError &error);

// The name among `known` that `typed` is most likely a typo of, if one is
// near enough.
std::optional<std::string> nearestName(const std::string &typed, const std::vector<std::string> &known);

// The arguments (without the program's name) with "help [COMMAND]" in the
// command's place made "[COMMAND] --help", as git and most commands take
// it. Throws UsageError for help on a command there is not.
std::vector<std::string> helpWordAsOption(std::vector<std::string> arguments, const CLI::App &app);

}  // namespace tavi::cli
