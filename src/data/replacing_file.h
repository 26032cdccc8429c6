// A file that is replaced whole or not at all. The contents go to a new
// temporary file in the target's folder (so that the final rename stays
// within one file system); only commit() renames it over the target. Until
// then an earlier file of the target's name is untouched, and a failure at
// any step, or an object destroyed before commit(), removes the temporary
// file. A reader never sees a truncated target.
//
// Every failure throws QuorvaneError "Cannot create file <target>".
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace quorvane {

class ReplacingFile {
  public:
    // Creates the temporary file (mode 0666 less the umask, like a plain
    // new file). A target that is a folder is refused here, before anything
    // is written.
    explicit ReplacingFile(std::string target);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    void write(std::string_view text);

    // Flushes the contents to the disk, closes the temporary file and
    // renames it over the target.
    void commit();

  private:
    [[noreturn]] void fail();
    void discard();

    std::string target_;
    std::string temporary_;
    std::FILE* file_ = nullptr;
};

}  // namespace quorvane
