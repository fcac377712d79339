#include "cli/CommandLine.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <utility>

#include "cli/NumberText.h"

namespace geotal::cli {
namespace {

// The usage line is the synopsis the command list shows, not one CLI11 builds: "set" reads
// its photos and coordinates itself, so CLI11 knows none of its arguments.
class SynopsisFormatter final : public CLI::Formatter {
public:
    explicit SynopsisFormatter(std::string usage) : usage_(std::move(usage)) {}
    std::string make_usage(const CLI::App*, std::string) const override { return usage_; }
    // "-h, --help", as people write it.
    std::string make_option_name(const CLI::Option* option, bool positional) const override {
        std::string name = CLI::Formatter::make_option_name(option, positional);
        for (std::size_t comma = name.find(','); comma != std::string::npos;
             comma = name.find(',', comma + 2)) {
            name.insert(comma + 1, " ");
        }
        return name;
    }
    // Only the value an option takes: which options go together is said in the words of the
    // description, not in the parser's notes ("Needs:", "REQUIRED", a validator's set).
    std::string make_option_opts(const CLI::Option* option) const override {
        if (option->get_type_size() == 0) {
            return {};
        }
        const std::string type = option->get_type_name();
        return type.empty() ? std::string() : " " + type.substr(0, type.find(':'));
    }

private:
    std::string usage_;
};

// "unknown option '--fast'" or "unexpected argument 'b'", for the first word nothing took.
std::string LeftoverReason(const std::string& word) {
    return (word.size() > 1 && word[0] == '-' ? "unknown option '" : "unexpected argument '") +
           word + "'";
}

}  // namespace

void SetUpCommandLine(CLI::App& app, const Command& command, const std::string& details,
                      const std::string& helpFlags) {
    app.name(std::string("geotal-cli ") + command.name);
    app.set_help_flag(helpFlags, "print this help and exit");
    app.formatter(std::make_shared<SynopsisFormatter>(
        std::string("Usage: geotal-cli ") + command.name + " " + command.synopsis + "\n"));
    app.get_formatter()->label("Positionals", "Arguments");
    app.footer(details);
    // Scripts written before may repeat an option; the last value has always counted.
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
}

std::optional<int> ParseCommandLine(CLI::App& app, const Command& command,
                                    const std::vector<std::string>& args) {
    std::vector<std::string> reversed;
    bool optionsEnded = false;
    for (const std::string& word : args) {
        optionsEnded = optionsEnded || word == "--";
        // CLI11 reads "--copy-to=" as "--copy-to" and would take the next word as its value;
        // an empty value must stay empty.
        if (!optionsEnded && word.size() > 3 && word.rfind("--", 0) == 0 &&
            word.find('=') == word.size() - 1) {
            reversed.push_back(word.substr(0, word.size() - 1));
            reversed.push_back("");
        } else {
            reversed.push_back(word);
        }
    }
    std::reverse(reversed.begin(), reversed.end());  // CLI11 takes the words last first
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        std::fputs(app.help().c_str(), stdout);
        return 0;
    } catch (const CLI::ParseError& error) {
        // CLI11 checks required arguments before it complains about words it could not place,
        // but a mistyped option is the likelier cause of both.
        const std::vector<std::string> leftovers = app.remaining();
        if (!app.get_allow_extras() && !leftovers.empty()) {
            return UsageError(command, LeftoverReason(leftovers.front()));
        }
        return UsageError(command, error.what());
    }
    return std::nullopt;
}

CLI::Option* AddWholeNumberOption(CLI::App& app, const std::string& name, std::optional<int>& value,
                                  int min, int max, const std::string& typeName,
                                  const std::string& description) {
    const CLI::Validator range(
        [min, max](std::string& text) -> std::string {
            int number = 0;
            if (ParseWholeNumber(text, number) && number >= min && number <= max) {
                return {};
            }
            return "must be a whole number from " + std::to_string(min) + " to " +
                   std::to_string(max) + ", not '" + text + "'";
        },
        "");
    // Read here, not by CLI11, whose integers follow C's base prefixes ("010" would be 8).
    return app
        .add_option_function<std::string>(
            name,
            [&value](const std::string& text) {
                int number = 0;
                ParseWholeNumber(text, number);
                value = number;
            },
            description)
        ->check(range)
        ->type_name(typeName);
}

CLI::Option* AddDecimalOption(CLI::App& app, const std::string& name, double& value,
                              const std::string& typeName, const std::string& description) {
    const CLI::Validator finite(
        [](std::string& text) -> std::string {
            double number = 0;
            return ParseDecimal(text, number) ? std::string()
                                              : "must be a number, not '" + text + "'";
        },
        "");
    return app
        .add_option_function<std::string>(
            name, [&value](const std::string& text) { ParseDecimal(text, value); }, description)
        ->check(finite)
        ->type_name(typeName);
}

}  // namespace geotal::cli
