#include "data/replacing_file.h"

#include <filesystem>

#include "data/error.h"
#include "support/expect_error.h"
#include "support/test_support.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;

using testing::readFile;

int entriesIn(const fs::path& folder) {
    int entries = 0;
    for ([[maybe_unused]] const fs::directory_entry& entry : fs::directory_iterator(folder))
        ++entries;
    return entries;
}

TEST(ReplacingFile, TheTargetChangesOnlyAtCommitAndNoTemporaryFileStays) {
    const testing::TempDir folder;
    const std::string target = folder.write("fit.txt", "earlier");
    {
        ReplacingFile unfinished(target);
        unfinished.write("later");
        EXPECT_EQ(readFile(target), "earlier");
        EXPECT_EQ(entriesIn(folder.path()), 2);
    }
    EXPECT_EQ(readFile(target), "earlier");
    EXPECT_EQ(entriesIn(folder.path()), 1);

    ReplacingFile file(target);
    file.write("later");
    file.commit();
    EXPECT_EQ(readFile(target), "later");
    EXPECT_EQ(entriesIn(folder.path()), 1);
}

TEST(ReplacingFile, AFileInAMissingFolderCannotBeCreated) {
    const testing::TempDir folder;
    const std::string target = (folder.path() / "missing" / "fit.txt").string();
    EXPECT_EQ(testing::errorOf([&] { ReplacingFile file(target); }),
              "Cannot create file " + target);
}

}  // namespace
}  // namespace quorvane
