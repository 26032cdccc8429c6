// Fuzzes the trace-file reader with arbitrary bytes as the content of a file,
// read under both decimal separators. After every load:
//   - success: curveCount grew by one (and was below 40), the new slot holds
//     1..20000 points, and nothing outside the slot's loaded points, its
//     point count and curveCount changed;
//   - refusal: the message is one the reader may give, and the workspace is
//     exactly as before.
// A shadow copy of the parts a load may touch is compared each time. Loads
// go on until the 40 slots are full (so that the refusal of a 41st trace is
// exercised too), then curveCount starts again at 0.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "data/error.h"
#include "data/number_text.h"
#include "data/trace_reader.h"
#include "data/workspace.h"

namespace {

using quorvane::kMaxCurves;
using quorvane::kMaxPoints;
using quorvane::workspace;

// The input is the content of an anonymous in-memory file, opened by the
// reader through its /proc path like any other file.
struct MemoryFile {
    int descriptor;
    std::string path;
};

MemoryFile& traceFile() {
    static MemoryFile file = [] {
        const int descriptor = memfd_create("trace.txt", 0);
        if (descriptor < 0) {
            std::perror("memfd_create");
            std::abort();
        }
        return MemoryFile{descriptor, "/proc/self/fd/" + std::to_string(descriptor)};
    }();
    return file;
}

void writeContent(const std::uint8_t* data, std::size_t size) {
    const MemoryFile& file = traceFile();
    if (ftruncate(file.descriptor, 0) != 0 ||
        (size > 0 && pwrite(file.descriptor, data, size, 0) != static_cast<ssize_t>(size))) {
        std::perror("writing the trace file");
        std::abort();
    }
}

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "trace_reader_fuzz: %s (curveCount %d)\n", what, workspace.curveCount);
    std::abort();
}

// What a load may change, copied before it: the header fields, the point
// counts and the whole slot the load writes into.
struct Shadow {
    std::int32_t curveCount;
    std::int32_t componentCount;
    std::int32_t layoutComponentCount;
    std::int32_t pointCount[quorvane::kMaxParameters + 1];
    quorvane::Curve slot;
    int slotIndex;
};
Shadow shadow;

void takeShadow() {
    shadow.curveCount = workspace.curveCount;
    shadow.componentCount = workspace.componentCount;
    shadow.layoutComponentCount = workspace.layoutComponentCount;
    std::memcpy(shadow.pointCount, workspace.pointCount, sizeof shadow.pointCount);
    shadow.slotIndex = workspace.curveCount < kMaxCurves ? workspace.curveCount + 1 : kMaxCurves;
    std::memcpy(&shadow.slot, &workspace.curves[shadow.slotIndex], sizeof shadow.slot);
}

bool pointCountsUnchangedExcept(int curve) {
    for (int c = 0; c <= quorvane::kMaxParameters; ++c) {
        if (c != curve && workspace.pointCount[c] != shadow.pointCount[c])
            return false;
    }
    return true;
}

// Entries first..last (inclusive) of the slot unchanged.
bool slotUnchanged(int first, int last) {
    if (first > last)
        return true;
    const std::size_t bytes = sizeof(double) * static_cast<std::size_t>(last - first + 1);
    const quorvane::Curve& now = workspace.curves[shadow.slotIndex];
    return std::memcmp(&now.times[first], &shadow.slot.times[first], bytes) == 0 &&
           std::memcmp(&now.values[first], &shadow.slot.values[first], bytes) == 0;
}

bool headerUnchanged() {
    return workspace.componentCount == shadow.componentCount &&
           workspace.layoutComponentCount == shadow.layoutComponentCount;
}

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// The reader's refusals of a readable file: a bad field, or one of the
// capacity and empty-file messages, each naming the file.
bool isReaderMessage(const std::string& message) {
    const std::string badField = "' is not a valid floating point value";
    if (message.size() > badField.size() && message[0] == '\'' &&
        message.compare(message.size() - badField.size(), badField.size(), badField) == 0)
        return true;
    return startsWith(message, "Cannot load " + quorvane::traceTitle(traceFile().path) + ": ");
}

void loadOnce(char separator) {
    quorvane::setDecimalSeparator(separator);
    takeShadow();
    int curve = 0;
    try {
        curve = quorvane::loadTraceFile(traceFile().path);
    } catch (const quorvane::QuorvaneError& error) {
        if (!isReaderMessage(error.message())) {
            std::fprintf(stderr, "unexpected message: %s\n", error.message().c_str());
            fail("unexpected refusal message");
        }
        if (workspace.curveCount != shadow.curveCount || !headerUnchanged() ||
            !pointCountsUnchangedExcept(-1) || !slotUnchanged(0, kMaxPoints))
            fail("a refused load changed the workspace");
        if (shadow.curveCount == kMaxCurves)
            workspace.curveCount = 0;
        return;
    }
    if (shadow.curveCount >= kMaxCurves)
        fail("a 41st trace was loaded");
    if (curve != shadow.curveCount + 1 || workspace.curveCount != curve)
        fail("curveCount did not grow by one");
    const int points = workspace.pointCount[curve];
    if (points < 1 || points > kMaxPoints)
        fail("point count out of range");
    if (!headerUnchanged() || !pointCountsUnchangedExcept(curve))
        fail("a load changed more than its own slot");
    if (!slotUnchanged(0, 0) || !slotUnchanged(points + 1, kMaxPoints))
        fail("a load wrote beyond its points");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    writeContent(data, size);
    loadOnce('.');
    loadOnce(',');
    return 0;
}
