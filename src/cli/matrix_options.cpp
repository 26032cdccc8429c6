#include "cli/matrix_options.h"

#include <cmath>
#include <limits>
#include <optional>
#include <string_view>

#include "data/matrix_orientation.h"
#include "data/number_text.h"

namespace quorvane {

namespace {

constexpr double kOpenEnd = std::numeric_limits<double>::infinity();

// "FROM:TO", either end empty for an open one. No value for anything else,
// and for two empty ends (which choose nothing).
std::optional<ValueRange> parseRange(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    const std::string_view fromText = text.substr(0, colon);
    const std::string_view toText = text.substr(colon + 1);
    if (fromText.find_first_not_of(' ') == std::string_view::npos &&
        toText.find_first_not_of(' ') == std::string_view::npos)
        return std::nullopt;
    const auto end = [](std::string_view part, double open) -> std::optional<double> {
        if (part.find_first_not_of(' ') == std::string_view::npos)
            return open;
        const std::optional<double> value = parseDouble(part);
        if (!value || std::isnan(*value))
            return std::nullopt;
        return value;
    };
    const std::optional<double> from = end(fromText, -kOpenEnd);
    const std::optional<double> to = end(toText, kOpenEnd);
    if (!from || !to)
        return std::nullopt;
    return ValueRange{*from, *to};
}

bool isGrouping(const std::string& option) {
    return option == "--bin" || option == "--traces" || option == "--every";
}

// Sets the grouping of `option` from its value; false when the value is none.
bool parseGrouping(const std::string& option, const std::string& value, TraceChoice& choice) {
    if (option == "--bin") {
        const std::optional<double> width = parseDouble(value);
        if (!width || !std::isfinite(*width) || *width <= 0)
            return false;
        choice.grouping = TraceGrouping::BinWidth;
        choice.binWidth = *width;
        return true;
    }
    const std::optional<std::int32_t> count = parseInteger(value);
    if (!count || *count < 1)
        return false;
    if (option == "--traces") {
        choice.grouping = TraceGrouping::BinCount;
        choice.binCount = *count;
    } else {
        choice.grouping = TraceGrouping::EveryKth;
        choice.every = *count;
    }
    return true;
}

std::string badValue(const std::string& option, const std::string& value, const char* wanted) {
    return "bad value '" + value + "' of option '" + option + "' (" + wanted + ")";
}

}  // namespace

OptionParse parseMatrixOption(const std::vector<std::string>& arguments, std::size_t& i,
                              MatrixOptions& options, std::string& problem) {
    const std::string& option = arguments[i];
    if (option == "--list") {
        options.list = true;
        return OptionParse::Taken;
    }
    if (option == "--svd") {
        options.singularValues = true;
        return OptionParse::Taken;
    }
    const bool ranged = option == "--wavelengths" || option == "--exclude" || option == "--times";
    if (!ranged && !isGrouping(option) && option != "--orientation" && option != "--write-traces")
        return OptionParse::NotMine;
    if (i + 1 == arguments.size()) {
        problem = "option '" + option + "' needs a value";
        return OptionParse::Refused;
    }
    const std::string& value = arguments[++i];
    TraceChoice& choice = options.choice;
    if (ranged) {
        const std::optional<ValueRange> range = parseRange(value);
        if (!range) {
            problem = badValue(option, value, "FROM:TO, two numbers, one of them may be left out");
            return OptionParse::Refused;
        }
        if (option == "--wavelengths")
            choice.wavelengths = range;
        else if (option == "--times")
            choice.times = range;
        else
            choice.excluded.push_back(*range);
    } else if (isGrouping(option)) {
        if (choice.grouping != TraceGrouping::Automatic) {
            problem = "options '--bin', '--traces' and '--every' exclude each other";
            return OptionParse::Refused;
        }
        if (!parseGrouping(option, value, choice)) {
            problem = badValue(
                option, value,
                option == "--bin" ? "a width greater than 0" : "a whole number of at least 1");
            return OptionParse::Refused;
        }
    } else if (option == "--orientation") {
        const std::optional<Orientation> orientation = orientationFromName(value);
        if (!orientation) {
            problem = badValue(option, value, "auto, times-down or times-across");
            return OptionParse::Refused;
        }
        options.orientation = *orientation;
    } else {
        if (value.empty()) {
            problem = "option '--write-traces' needs a DIR";
            return OptionParse::Refused;
        }
        options.writeTracesFolder = value;
        return OptionParse::Taken;
    }
    options.matrixOptionsGiven.push_back(option);
    return OptionParse::Taken;
}

std::string matrixUsageLine() {
    return "       quorvane-fit [OPTION]... [--wavelengths FROM:TO] [--exclude FROM:TO]... "
           "[--times FROM:TO]\n"
           "                    [--bin WIDTH | --traces N | --every K] "
           "[--orientation auto|times-down|times-across]\n"
           "                    [--list] [--write-traces DIR] [--svd] FILE...";
}

std::string matrixHelpText() {
    return "Matrix files (a time x wavelength matrix: a delimited table or Glotaran ascii,\n"
           "recognised from the content; each gives the traces chosen from it):\n"
           "  --wavelengths FROM:TO   keep the wavelengths within FROM..TO\n"
           "  --exclude FROM:TO       leave out the wavelengths within FROM..TO (repeatable)\n"
           "  --times FROM:TO         keep the times within FROM..TO\n"
           "                          (an end left out is open: 0.2: is 0.2 and above)\n"
           "  --bin WIDTH             average the wavelengths into bins WIDTH wide\n"
           "  --traces N              average them into N bins of equal width\n"
           "  --every K               take every K-th wavelength\n"
           "                          (default: all when they fit into the 40 traces,\n"
           "                          otherwise as many equal bins as there is room for)\n"
           "  --orientation auto|times-down|times-across\n"
           "                          where the times are in a delimited file (default auto:\n"
           "                          decided by the axes' values)\n"
           "  --list                  print the files and the traces chosen, do not fit\n"
           "  --write-traces DIR      write the traces chosen from matrix files into DIR as\n"
           "                          trace files, do not fit\n"
           "  --svd                   print the singular values of the data and of the\n"
           "                          residuals last; with --save also NAME-svd.csv\n";
}

}  // namespace quorvane
