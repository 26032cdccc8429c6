#include "views/result_files.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>
#include <optional>

#include "data/error.h"
#include "data/floating_point.h"
#include "data/number_format.h"
#include "data/replacing_file.h"
#include "data/workspace.h"
#include "fit/fit_driver.h"
#include "fit/goodness_of_fit.h"
#include "fit/model.h"
#include "lsq/linear_solver.h"
#include "views/response_report.h"
#include "views/result_sections.h"
#include "views/standard_error_report.h"

namespace quorvane {

namespace {

constexpr std::string_view kReportExtension = ".txt";
// The curves file is handed to the disk in pieces of about this size.
constexpr std::size_t kCurvesWriteSize = std::size_t{1} << 20;

// What the variance–covariance command changes, copied when the object is
// made and put back when it goes, however the command ends.
class KeptCovarianceInputs {
  public:
    KeptCovarianceInputs()
        : lambda_(workspace.lambda),
          normal_(std::make_unique<Square>()),
          covariance_(std::make_unique<Square>()) {
        std::memcpy(normal_->entries, workspace.normalMatrix, sizeof(MatrixStore));
        std::memcpy(covariance_->entries, workspace.covarianceMatrix, sizeof(MatrixStore));
    }
    ~KeptCovarianceInputs() {
        workspace.lambda = lambda_;
        std::memcpy(workspace.normalMatrix, normal_->entries, sizeof(MatrixStore));
        std::memcpy(workspace.covarianceMatrix, covariance_->entries, sizeof(MatrixStore));
    }
    KeptCovarianceInputs(const KeptCovarianceInputs&) = delete;
    KeptCovarianceInputs& operator=(const KeptCovarianceInputs&) = delete;

  private:
    struct Square {
        MatrixStore entries;
    };
    long double lambda_;
    std::unique_ptr<Square> normal_;
    std::unique_ptr<Square> covariance_;
};

std::string keptCovarianceSection() {
    const KeptCovarianceInputs kept;
    try {
        return covarianceSection();
    } catch (const QuorvaneError& error) {
        return "Var-Cov\n" + errorBoxText(error.message()) + '\n';
    }
}

std::string sumOfSquaresText() {
    clearFloatingPointFaults();
    const long double sum = sumSquaredResiduals();
    checkFloatingPointFaults();
    return formatGeneral15(sum);
}

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (const char ch : text) {
        if (ch == '"')
            quoted += '"';
        quoted += ch;
    }
    return quoted + '"';
}

// errors: the amplitudes' standard errors to add, or nullptr.
std::string spectraCsv(const SpectraTable& table, const StandardErrors* errors) {
    std::vector<std::string> columns;
    for (int k = 1; k <= table.componentCount; ++k)
        columns.push_back(",A" + std::to_string(k));
    if (errors == nullptr)
        return spectraTableCsv(columns, table);
    columns.push_back(spectraErrorHeader(table.componentCount));
    return spectraTableCsv(columns, table, [&](const SpectraTable::Row& row) {
        return spectraErrorFields(*errors, row, table.componentCount);
    });
}

void writeCurvesCsv(ReplacingFile& file, const std::vector<SavedCurve>& curves) {
    bool withWavelength = false;
    for (const SavedCurve& curve : curves)
        withWavelength = withWavelength || curve.fromMatrix;
    std::string text = withWavelength ? "trace,file,wavelength,time,value,model,residual\n"
                                      : "trace,file,time,value,model,residual\n";
    for (int c = 1; c <= workspace.curveCount; ++c) {
        std::string lead = std::to_string(c) + ',' + csvField(curves.at(c - 1).file) + ',';
        if (withWavelength) {
            if (!std::isnan(workspace.wavelength[c]))
                appendCsvNumber(lead, workspace.wavelength[c]);
            lead += ',';
        }
        const Curve& curve = workspace.curves[c];
        clearFloatingPointFaults();
        for (int i = 1; i <= workspace.pointCount[c]; ++i) {
            const long double model = evaluateModelAtPoint(c, i);
            const long double residual = static_cast<long double>(curve.values[i]) - model;
            text += lead;
            appendCsvNumber(text, curve.times[i]);
            text += ',';
            appendCsvNumber(text, curve.values[i]);
            text += ',';
            appendCsvNumber(text, static_cast<double>(model));
            text += ',';
            appendCsvNumber(text, static_cast<double>(residual));
            text += '\n';
            if (text.size() >= kCurvesWriteSize) {
                file.write(text);
                text.clear();
            }
        }
        checkFloatingPointFaults();
    }
    file.write(text);
}

struct ResultFileNames {
    std::string stem;
    std::string report;
    std::string spectra;
    std::string curves;
};

ResultFileNames resultFileNames(const std::string& name) {
    std::string stem = name;
    if (stem.size() > kReportExtension.size() && stem.ends_with(kReportExtension))
        stem.resize(stem.size() - kReportExtension.size());
    return {stem, stem + ".txt", stem + "-spectra.csv", stem + "-curves.csv"};
}

std::string resultsReport(const SpectraTable& spectra, const StandardErrors& errors,
                          const std::string& errorSectionEnd) {
    std::string report = timeConstantSection(timeConstantTexts());
    report += sumSection(sumOfSquaresText());
    report += parameterSection();
    report += keptCovarianceSection();
    report += spectraSection(spectra);
    report += standardErrorSection(errors, spectra);
    report += errorSectionEnd;
    report += responseSection();
    return report;
}

}  // namespace

void appendCsvNumber(std::string& text, double value) {
    // 17 significant digits read back to `value`.
    char digits[32];
    const std::to_chars_result end =
        std::to_chars(digits, digits + sizeof digits, value, std::chars_format::general, 17);
    text.append(digits, end.ptr);
}

std::string spectraTableCsv(const std::vector<std::string>& columns, const SpectraTable& table,
                            const std::function<std::string(const SpectraTable::Row&)>& rowEnd) {
    std::string text = "wavelength";
    for (const std::string& column : columns)
        text += column;
    text += '\n';
    for (const SpectraTable::Row& row : table.rows) {
        appendCsvNumber(text, row.wavelength);
        for (const double amplitude : row.amplitudes) {
            text += ',';
            appendCsvNumber(text, amplitude);
        }
        if (rowEnd)
            text += rowEnd(row);
        text += '\n';
    }
    return text;
}

void refuseUnfittedResults() {
    if (workspace.fitCount == 0)
        throw QuorvaneError("There are no results to save: press Start first");
    if (workspace.laidOutCurveCount != workspace.curveCount) {
        throw QuorvaneError(
            "Traces were loaded after the last fit: press Start again before saving");
    }
}

void saveResults(const std::string& name, const std::vector<SavedCurve>& curves,
                 const SavedSupplement& supplement) {
    refuseUnfittedResults();
    std::vector<std::string> files;
    for (const SavedCurve& curve : curves)
        files.push_back(curve.file);
    const SpectraTable table = buildSpectraTable(files);
    std::optional<StandardErrors> formed;
    const StandardErrors& errors =
        supplement.errors != nullptr ? *supplement.errors : formed.emplace(computeStandardErrors());
    const std::string report =
        resultsReport(table, errors, supplement.errorSectionEnd) + supplement.reportSections;
    const std::string spectra = spectraCsv(table, supplement.spectraErrors ? &errors : nullptr);

    const ResultFileNames names = resultFileNames(name);
    ReplacingFile reportFile(names.report);
    ReplacingFile spectraFile(names.spectra);
    ReplacingFile curvesFile(names.curves);
    std::vector<std::unique_ptr<ReplacingFile>> more;
    for (const auto& [suffix, contents] : supplement.files) {
        more.push_back(std::make_unique<ReplacingFile>(names.stem + suffix));
        more.back()->write(contents);
    }
    reportFile.write(report);
    spectraFile.write(spectra);
    writeCurvesCsv(curvesFile, curves);
    reportFile.commit();
    spectraFile.commit();
    curvesFile.commit();
    for (const std::unique_ptr<ReplacingFile>& file : more)
        file->commit();
}

void saveResults(const std::string& name, const std::vector<std::string>& titles) {
    std::vector<SavedCurve> curves;
    for (const std::string& title : titles)
        curves.push_back({title, false});
    saveResults(name, curves);
}

}  // namespace quorvane
