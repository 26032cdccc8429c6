#include "views/singular_value_report.h"

#include <cmath>

#include "data/number_format.h"
#include "views/result_files.h"

namespace quorvane {

namespace {

constexpr std::size_t kTimesShown = 11;

// The rows of `count` shown in the compact form: all of up to kTimesShown,
// otherwise kTimesShown spread evenly, the first and the last included.
std::vector<std::size_t> shownRows(std::size_t count) {
    std::vector<std::size_t> rows;
    if (count <= kTimesShown) {
        for (std::size_t row = 0; row < count; ++row)
            rows.push_back(row);
        return rows;
    }
    for (std::size_t k = 0; k < kTimesShown; ++k)
        rows.push_back(k * (count - 1) / (kTimesShown - 1));
    return rows;
}

std::string vectorTable(const char* axisName, const char* vectorName,
                        const std::vector<double>& axis,
                        const std::vector<std::vector<double>>& vectors,
                        const std::vector<std::size_t>& rows) {
    std::string text = axisName;
    for (std::size_t k = 1; k <= vectors.size(); ++k)
        text += '\t' + (vectorName + std::to_string(k));
    text += '\n';
    for (const std::size_t row : rows) {
        // A trace file whose name gives no wavelength has NaN.
        text += std::isnan(axis[row]) ? std::string("none") : formatGeneral15(axis[row]);
        for (const std::vector<double>& vector : vectors)
            text += '\t' + formatExponent6(vector[row]);
        text += '\n';
    }
    return text;
}

std::string valuesLine(const char* name, const SingularValues& of) {
    std::string line = name;
    for (const double value : of.values)
        line += '\t' + formatGeneral15(value);
    return line + '\n';
}

std::string vectorsOf(const char* name, const SingularValues& of) {
    std::vector<std::size_t> everyColumn;
    for (std::size_t column = 0; column < of.wavelengths.size(); ++column)
        everyColumn.push_back(column);
    return std::string(name) + ", left vectors\n" +
           vectorTable("time", "u", of.times, of.left, shownRows(of.times.size())) + name +
           ", right vectors\n" +
           vectorTable("wavelength", "v", of.wavelengths, of.right, everyColumn);
}

void appendCsvRows(std::string& text, const char* matrix, const char* quantity,
                   const std::vector<double>* axis, const std::vector<double>& entries,
                   std::size_t k) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        text += std::string(matrix) + ',' + quantity + ',' + std::to_string(k) + ',';
        if (axis != nullptr && !std::isnan((*axis)[i]))
            appendCsvNumber(text, (*axis)[i]);
        text += ',';
        appendCsvNumber(text, entries[i]);
        text += '\n';
    }
}

void appendCsvOf(std::string& text, const char* matrix, const SingularValues& of) {
    for (std::size_t k = 0; k < of.values.size(); ++k)
        appendCsvRows(text, matrix, "value", nullptr, {of.values[k]}, k + 1);
    for (std::size_t k = 0; k < of.left.size(); ++k)
        appendCsvRows(text, matrix, "left", &of.times, of.left[k], k + 1);
    for (std::size_t k = 0; k < of.right.size(); ++k)
        appendCsvRows(text, matrix, "right", &of.wavelengths, of.right[k], k + 1);
}

}  // namespace

std::string singularValueSection(const SingularValues& data, const SingularValues& residuals) {
    return "Singular values\n" + valuesLine("data", data) + valuesLine("residuals", residuals) +
           vectorsOf("Data", data) + vectorsOf("Residuals", residuals);
}

std::string singularValueCsv(const SingularValues& data, const SingularValues& residuals) {
    std::string text = "matrix,quantity,k,axis,value\n";
    appendCsvOf(text, "data", data);
    appendCsvOf(text, "residuals", residuals);
    return text;
}

}  // namespace quorvane
