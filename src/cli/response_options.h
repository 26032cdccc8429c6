// quorvane-fit's options of the instrument response, written into the same
// boxes the window's "Instrument response..." dialog fills:
//   --irf FWHM[,CENTRE]          the response on, its FWHM (and centre)
//   --irf-fixed width|centre|both   hold them at the typed values
//   --dispersion ORDER[,c1,...]  the dispersion order and its coefficients
//   --dispersion-centre NM       the reference wavelength
//   --step                       the step component
// A list is separated by ',' or, when it holds a ';', by ';' (for a comma
// as the decimal separator: --irf "0,12;0,4"). The numbers stay text, read
// by Start with the program's number rules. Every option but --irf needs
// --irf; with --irf the method is variable projection, and an explicit
// --method classic is refused.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "fit/fit_method.h"
#include "fit/response_boxes.h"

namespace quorvane {

class ResponseOptions {
  public:
    enum class Result { NotMine, Taken, Problem };

    // Takes arguments[i] (and its value, moving i on) when it is one of the
    // options above; Problem with `problem` set for a missing or bad value.
    Result parse(const std::vector<std::string>& arguments, std::size_t& i, ResponseBoxes& response,
                 std::string& problem);

    // After every argument: false with `problem` set when an option needs
    // --irf or --method classic was given with it; otherwise, with --irf,
    // sets `method` to variable projection.
    bool finish(bool methodGiven, FitMethod& method, std::string& problem) const;

  private:
    bool irfGiven_ = false;
    std::string otherGiven_;  // the first option given besides --irf
};

// The lines of --help for these options.
std::string responseOptionsHelp();

}  // namespace quorvane
