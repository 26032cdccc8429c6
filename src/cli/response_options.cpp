#include "cli/response_options.h"

namespace quorvane {

namespace {

std::vector<std::string> splitList(const std::string& text) {
    const char separator = text.find(';') != std::string::npos ? ';' : ',';
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (;;) {
        const std::size_t end = text.find(separator, from);
        parts.push_back(
            text.substr(from, end == std::string::npos ? std::string::npos : end - from));
        if (end == std::string::npos)
            return parts;
        from = end + 1;
    }
}

bool setFixed(const std::string& value, ResponseBoxes& response) {
    if (value == "width") {
        response.fitFwhm = false;
    } else if (value == "centre") {
        response.fitCentre = false;
    } else if (value == "both") {
        response.fitFwhm = false;
        response.fitCentre = false;
    } else {
        return false;
    }
    return true;
}

}  // namespace

ResponseOptions::Result ResponseOptions::parse(const std::vector<std::string>& arguments,
                                               std::size_t& i, ResponseBoxes& response,
                                               std::string& problem) {
    const std::string& option = arguments[i];
    if (option == "--step") {
        response.step = true;
        if (otherGiven_.empty())
            otherGiven_ = option;
        return Result::Taken;
    }
    if (option != "--irf" && option != "--irf-fixed" && option != "--dispersion" &&
        option != "--dispersion-centre")
        return Result::NotMine;
    if (i + 1 == arguments.size()) {
        problem = "option '" + option + "' needs a value";
        return Result::Problem;
    }
    const std::string& value = arguments[++i];
    if (option == "--irf") {
        const std::vector<std::string> parts = splitList(value);
        if (parts.size() > 2) {
            problem = "option '--irf' takes FWHM[,CENTRE], not '" + value + "'";
            return Result::Problem;
        }
        response.enabled = true;
        response.fwhm = parts[0];
        if (parts.size() == 2)
            response.centre = parts[1];
        irfGiven_ = true;
        return Result::Taken;
    }
    if (otherGiven_.empty())
        otherGiven_ = option;
    if (option == "--irf-fixed") {
        if (!setFixed(value, response)) {
            problem = "option '--irf-fixed' takes width, centre or both, not '" + value + "'";
            return Result::Problem;
        }
    } else if (option == "--dispersion") {
        const std::vector<std::string> parts = splitList(value);
        if (parts.size() > 1 + static_cast<std::size_t>(kMaxDispersionOrder)) {
            problem = "option '--dispersion' takes ORDER and at most " +
                      std::to_string(kMaxDispersionOrder) + " coefficients, not '" + value + "'";
            return Result::Problem;
        }
        response.dispersionOrder = parts[0];
        for (std::size_t k = 1; k < parts.size(); ++k)
            response.dispersion[k - 1] = parts[k];
    } else {
        response.referenceWavelength = value;
    }
    return Result::Taken;
}

bool ResponseOptions::finish(bool methodGiven, FitMethod& method, std::string& problem) const {
    if (!otherGiven_.empty() && !irfGiven_) {
        problem = "option '" + otherGiven_ + "' needs '--irf'";
        return false;
    }
    if (irfGiven_ && methodGiven && method == FitMethod::Classic) {
        problem =
            "the instrument response (--irf) is fitted by variable projection only, not by "
            "'--method classic'";
        return false;
    }
    if (irfGiven_)
        method = FitMethod::VariableProjection;
    return true;
}

std::string responseOptionsHelp() {
    return "  --irf FWHM[,CENTRE]\n"
           "                   convolve every component with a Gaussian instrument response\n"
           "                   of this full width at half maximum and centre (time zero,\n"
           "                   default 0), both in the units of the times and fitted, by\n"
           "                   variable projection (not with --method classic)\n"
           "  --irf-fixed width|centre|both\n"
           "                   hold the FWHM, the centre or both at the values given\n"
           "  --dispersion ORDER[,c1,...]\n"
           "                   time zero drifts with the wavelength: centre + c1 x + ... +\n"
           "                   cORDER x^ORDER, x = (wavelength - reference) / 100 nm, ORDER\n"
           "                   0..4, the ci fitted from the values given (default 0)\n"
           "  --dispersion-centre NM\n"
           "                   the reference wavelength (default: the mean of the traces')\n"
           "  --step           add a component that rises with the response and does not\n"
           "                   decay, its own amplitude per trace\n"
           "                   (a list takes ';' instead of ',' with a comma as decimal\n"
           "                   separator)\n";
}

}  // namespace quorvane
