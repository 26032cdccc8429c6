#include "data/replacing_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "data/error.h"

namespace quorvane {

namespace {

// Temporary names are the target's name with ".part-<pid>-<n>" appended;
// O_EXCL makes sure no other file is taken over.
constexpr int kTemporaryNameAttempts = 100;

bool isFolder(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

}  // namespace

ReplacingFile::ReplacingFile(std::string target) : target_(std::move(target)) {
    if (target_.empty() || isFolder(target_))
        fail();
    static unsigned counter = 0;
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        std::string name =
            target_ + ".part-" + std::to_string(::getpid()) + '-' + std::to_string(counter++);
        const int descriptor = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor < 0) {
            if (errno == EEXIST)
                continue;
            fail();
        }
        temporary_ = std::move(name);
        file_ = ::fdopen(descriptor, "wb");
        if (file_ == nullptr) {
            ::close(descriptor);
            fail();
        }
        return;
    }
    fail();
}

ReplacingFile::~ReplacingFile() {
    discard();
}

void ReplacingFile::write(std::string_view text) {
    if (file_ == nullptr || std::fwrite(text.data(), 1, text.size(), file_) != text.size())
        fail();
}

void ReplacingFile::commit() {
    if (file_ == nullptr)
        fail();
    const bool written = std::fflush(file_) == 0 && ::fsync(::fileno(file_)) == 0;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!written || !closed || ::rename(temporary_.c_str(), target_.c_str()) != 0)
        fail();
    temporary_.clear();
}

void ReplacingFile::fail() {
    discard();
    throw QuorvaneError("Cannot create file " + target_);
}

void ReplacingFile::discard() {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
    }
}

}  // namespace quorvane
